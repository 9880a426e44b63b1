// combat/hit.h — what can be hit, as missiles, blasts and beams see it. A flying unit (plane,
// hero, helicopter, UFO, jumper) gives its hit box; the walks below find the first missile in
// flight inside it, the first harmful blast that reaches its centre, or whether a gun's square
// of reach holds it. What a hit does (the points, the blast, the unit's end) stays with the
// unit: its collision step calls these walks and decides.
#pragma once

struct trocketdata;
struct ttntdata;
struct tdebris;

// A rectangle around the centre (x, y) with the half sides w2 and h2, borders excluded.
struct thitbox {
    float x = 0, y = 0, w2 = 0, h2 = 0;
    bool contains(float px, float py) const { return x - w2 < px && px < x + w2 && y - h2 < py && py < y + h2; }
};

// Whether (tx, ty) lies within the square of half side r around (x, y), borders excluded: the
// reach of a gun or a laser, and the margin of a threat to dodge.
inline bool inreach(float x, float y, float tx, float ty, float r) {
    float dx = x - tx, dy = y - ty;
    return -r < dx && dx < r && -r < dy && dy < r;
}

// The first missile of either side in flight inside the box, in the list's order; null: none.
trocketdata* missilein(const thitbox& box);
// The first blast of the harmful list (`tnt`) whose disc reaches (x, y); null: none.
ttntdata* blastat(float x, float y);

// The engine of a flying unit: `sample` started at a rate of 0.8 .. 1.0 (one draw), panned to x
// (0.35 to a side at the edges). Returns its channel.
int startengine(int sample, float x);
// A flying unit brought down: its engine on channel `chn` released, and pieces of colour `col`
// scattered as `how` says.
void wreck(int chn, int sample, float x, float y, const tdebris& how, const int* col);
