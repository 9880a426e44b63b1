// game/level.h — the referee: level, score and name, the high-score table, the ammunition per
// turret, the pause flag and the state machine of the title screen, the "Get Ready" break, the
// fight, the game-over countdown and the entry of a new high score. The HUD is drawn here too.
#pragma once

#include <string>

#include "framework/input.h"
#include "platform/platform.h"

// One row of the high-score table.
struct thiscore {
    std::string name = "Your Name";
    int level = 1;                    // level reached
    int score = 0;

    template <class V> void fields(V& v) {
        v("name", name); v("level", level); v("score", score);
    }
};

// The level's state (`prg`).
enum tlevelstate : int {
    level_fight = 0,
    level_getready = 1,               // the "Get Ready" break before a level
    level_gameover = 2,
    level_nameentry = 3,              // a new high score: the player types a name
    level_title = 10,                 // the title screen defends itself
};
// `pause`: on, it freezes the fight.
enum tpause : int { pause_off = 0, pause_on = 1 };

struct tlevel {
    static constexpr float initialspeed = 2.0f;   // the speed outside a running game

    int level = 1;                    // 1-based
    int score = 0;                    // may go negative
    std::string name = "Your Name";   // edited on the name-entry screen
    tinput inp = {0, 20};             // line editor of name, at most 20 characters
    int ammo = 0;                     // missiles per turret at the start of a level: 6, or 8 with two turrets
    int allrocket = 0;                // enemy missiles of this level still to be launched
    int allrocket2 = 0;               // enemy missiles per level: 10 at level 1, one more per level
    int maxrocket = 0;                // most enemy missiles in flight at once
    float speed = initialspeed;       // enemy missiles fly at speed x 0.7, the player's at speed x 2
    int prg = level_title;            // a tlevelstate
    int wait = 0;                     // frames left of the "Get Ready" and game-over states
    int pause = pause_off;            // a tpause
    int highlighthiscore = -1;        // table row drawn highlighted (the last entered score); -1 none
    int gohiscore = 0;                // row the current score goes to, 10 when it does not enter
    thiscore hiscore[10];             // best first
    int waitgun = 800;                // frames until the title screen rebuilds the turrets
    float rndval = 0;                 // a fraction in [0, 1), redrawn every 64 ticks on the title screen

    // The settings-file records of the level: name, level, score, highlighted row, ten rows.
    int load(TStream* stream);        // the high-score rows read whole (10 for a whole file)
    int save(TStream* stream);
    int addscore(int n);              // counts only in the fight and the "Get Ready" break
    int newlevel();
    int abandonentry();               // leaving the name entry without a row: no row highlighted
    int nextlevel();
    int nextlevel2();
    int leavelevel();
    int setpause(int n);              // only in the fight and the "Get Ready" break
    int upd();
    int draw();
    int updev();

    void launch();                    // one enemy missile from the top edge to the street
    void drawtable();                 // the high-score table of the title screen

    template <class V> void fields(V& v) {
        v("level", level); v("score", score); v("name", name); v("inp", inp);
        v("ammo", ammo); v("allrocket", allrocket); v("allrocket2", allrocket2);
        v("maxrocket", maxrocket); v("speed", speed); v("prg", prg); v("wait", wait);
        v("pause", pause); v("highlighthiscore", highlighthiscore); v("gohiscore", gohiscore);
        v("hiscore", hiscore); v("waitgun", waitgun); v("rndval", rndval);
    }
};
