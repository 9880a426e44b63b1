# Writes the program's version (the project's, which the package also carries) and the build
# time in the program info's form: weekday, hh:mm:ss, dd.mm.yyyy. The Help text that shows it is
# English in every language, so the weekday is English too ("Th, 12:20:19, 10.12.2026").
string(TIMESTAMP day "%w")
set(days Su Mo Tu We Th Fr Sa)
list(GET days ${day} dayname)
string(TIMESTAMP clock "%H:%M:%S, %d.%m.%Y")
file(WRITE ${OUT} "// made by app/buildstamp.cmake when the game is built\n#define VARNHOLD_VERSION \"${VERSION}\"\n#define VARNHOLD_BUILDTIME \"${dayname}, ${clock}\"\n")
