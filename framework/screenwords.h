// framework/screenwords.h — the words of the screen, once: their members of the world (framework/world.h)
// with their start values, their English lines in the language file (tools/language.cpp) and
// their reading from a section (app/language.cpp). The menu texts are framework/menutags.h's.
#pragma once

// X(member, line, English text): the world's member (framework/world.h) that holds the word and its
// line in a language-file section. A word that
// ends in a blank (the placement word, followed by the row) is written to the file without it;
// the game adds it back when it reads the line.
#define VARNHOLD_SCREENWORDS(X)                                  \
    X(txtlevel, 15, "Level")                                     \
    X(txtscore, 16, "Score")                                     \
    X(txtcity, 17, "City")                                       \
    X(txtmissiles, 18, "Missiles")                               \
    X(txtname, 19, "Name")                                       \
    X(txtcombo, 20, "Combo x")                                   \
    X(txtstart, 21, "Press right mousebutton or enter to start") \
    X(txtgetready, 22, "Get Ready")                              \
    X(txtrearming, 23, "The enemy is rearming")                  \
    X(txtgameover, 24, "Game Over")                              \
    X(txtplace, 25, "Place ")                                    \
    X(txtentername, 26, "Enter your name")

// X(name, line, English text): the lines over the playfield after a daily challenge, and the
// months of their dates. Not members of the world (the client shows them, app/dailygame.cpp):
// {day}, {month}, {rank}, {of}, {score} and {why} are filled in; the months are twelve words.
#define VARNHOLD_LINEWORDS(X)                                                                   \
    X(dailyrank, 33, "Daily challenge, {day} {month}: number {rank} of {of}")                   \
    X(dailylate, 34, "Daily challenge, {day} {month}: too late for the day's table")            \
    X(dailykept, 35, "Daily challenge, {day} {month}: {score} points (kept; not sent)")         \
    X(dailyrefused, 36, "Daily challenge, {day} {month}: not taken, {why}")                     \
    X(months, 37, "January February March April May June July August September October November December")

struct tscreenword {
    int line;
    const char* english;
};

enum : int {
#define VARNHOLD_LINEWORD_ID(name, line, english) lineword_##name = line,
    VARNHOLD_LINEWORDS(VARNHOLD_LINEWORD_ID)
#undef VARNHOLD_LINEWORD_ID
};

inline constexpr tscreenword linewords[] = {
#define VARNHOLD_LINEWORD_ENTRY(name, line, english) {line, english},
    VARNHOLD_LINEWORDS(VARNHOLD_LINEWORD_ENTRY)
#undef VARNHOLD_LINEWORD_ENTRY
};

inline constexpr tscreenword screenwords[] = {
#define VARNHOLD_SCREENWORD_ENTRY(name, line, english) {line, english},
    VARNHOLD_SCREENWORDS(VARNHOLD_SCREENWORD_ENTRY)
#undef VARNHOLD_SCREENWORD_ENTRY
};
