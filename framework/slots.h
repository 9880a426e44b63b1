// framework/slots.h — the record arrays shared by the game's object lists.
//
// A new record takes the first empty slot; when there is none the array grows to
// (the largest multiple of 16 not above the new index) + 16 slots. A list walks the slots
// that are present when the walk starts, in slot order, and empties the slot of a record
// whose upd returns 1. Slots are never compacted (the particle lists do their own thing).
//
// A record may be removed by another list while its own list is being walked (a fire that
// wrecks a car during the cars' walk, a missile destroyed by an explosion): the slot is
// emptied at once, but the record itself is kept alive until no walk is in progress, so a
// method that is still running on it never touches freed memory.
#pragma once

#include <memory>
#include <vector>

template <class T>
struct slots {
    std::vector<std::unique_ptr<T>> d = std::vector<std::unique_ptr<T>>(16);

    // First empty slot (growing by blocks of 16); returns the new record, value-initialised.
    T& add() { return d[addslot()].operator*(); }
    int addslot() {
        int n = static_cast<int>(d.size());
        for (int i = 0; i < n; i++) {
            if (!d[i]) {
                d[i] = std::make_unique<T>();
                return i;
            }
        }
        d.resize(static_cast<size_t>(n / 16 * 16 + 16));
        d[n] = std::make_unique<T>();
        return n;
    }

    // Empties slot i; the record is freed once no walk is running.
    void empty(int i) {
        if (i < 0 || i >= static_cast<int>(d.size()) || !d[i]) return;
        if (watched) gone.push_back(d[i].get());
        if (walking > 0) retired.push_back(std::move(d[i]));
        d[i].reset();
    }

    // Back to 16 empty slots.
    void clearall() {
        for (int i = 0; i < static_cast<int>(d.size()); i++) empty(i);
        d.clear();
        d.resize(16);
    }

    // Calls f(record, index) for every occupied slot present when the walk starts, in order;
    // a slot whose f returns 1 is emptied.
    template <class F>
    void each(F f) {
        int n = static_cast<int>(d.size());
        walking++;
        for (int i = 0; i < n && i < static_cast<int>(d.size()); i++) {
            if (!d[i]) continue;
            T* r = d[i].get();
            if (f(*r, i) == 1 && d[i].get() == r) empty(i);
        }
        if (--walking == 0) retired.clear();
    }
    template <class F>
    void each(F f) const {
        for (int i = 0; i < static_cast<int>(d.size()); i++)
            if (d[i]) f(*d[i], i);
    }

    int count() const {
        int c = 0;
        for (auto& r : d) c += r ? 1 : 0;
        return c;
    }

    // The walk's own bookkeeping, not part of the world: named here so that the check of the
    // field lists (tests/app/fields_test.cpp) knows every byte of a list is accounted for.
    template <class V> void unlisted(V& v) {
        v("walking", walking); v("retired", retired); v("watched", watched); v("gone", gone);
    }

    // The drawing's bookkeeping (smooth motion, app/smooth.cpp), not part of the world: while
    // `watched`, the records emptied since the drawing last cleared `gone`, so that a new
    // record made at the address of one that is gone is not taken for it.
    bool watched = false;
    std::vector<const T*> gone;

    slots() = default;
    slots(slots&&) noexcept = default;
    slots& operator=(slots&&) noexcept = default;

private:
    int walking = 0;
    std::vector<std::unique_ptr<T>> retired;
};
