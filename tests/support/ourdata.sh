# ourdata SERVER REPLAY: the replay with the data digest of SERVER's own data files. The test
# replays name the digest of the machine that recorded them; another machine's Qt, zlib and
# Vorbis encoder may write the same pictures and sounds in other bytes (the replays' own tests
# play them to the same world), so the server is given the replay as this build would write it.
ourdata() {
    local digest
    digest=$("$1" --version | grep -Eo 'with data [0-9a-f]{16}' | cut -d' ' -f3)
    sed -E "0,/^data [0-9a-f]{16}\$/s//data $digest/" "$2"
}
