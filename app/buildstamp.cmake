# Writes the build time in the program info's form: weekday, hh:mm:ss, dd.mm.yyyy.
string(TIMESTAMP day "%w")
set(days So Mo Di Mi Do Fr Sa)
list(GET days ${day} dayname)
string(TIMESTAMP clock "%H:%M:%S, %d.%m.%Y")
file(WRITE ${OUT} "// made by app/buildstamp.cmake when the game is built\n#define VARNHOLD_BUILDTIME \"${dayname}, ${clock}\"\n")
