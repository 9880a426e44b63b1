// Every record's `fields` list covers the whole record: a field left out of it would escape
// the world dump and the replay digest without a word. State that is deliberately not part of
// the world is named in the record's `unlisted` list instead. The check lays the listed fields out
// at their real offsets; any bytes of the record they leave uncovered, beyond the padding that
// aligns the next listed field or the record's end, belong to a field the list lacks. (A field
// small enough to sit in such padding, a char before an int, escapes it: keep char-sized
// fields beside each other or at the end of their record.)
#include <cxxabi.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "app/dump.h"
#include "game/world.h"
#include "tests/support/world.h"

namespace {

template <class T>
std::string typenameof() {
    int status = 0;
    char* s = abi::__cxa_demangle(typeid(T).name(), nullptr, nullptr, &status);
    std::string name = s ? s : typeid(T).name();
    std::free(s);
    return name;
}

size_t alignup(size_t n, size_t a) { return (n + a - 1) / a * a; }

// Walks records by their field lists, checking each record type once; `faults` collects one
// line per record whose list misses bytes.
struct tfieldcheck {
    std::vector<std::string> faults;
    std::vector<std::string> seen;

    template <class T>
    void record(T& obj) {
        std::string name = typenameof<T>();
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) return;
        seen.push_back(name);
        struct tspan {
            size_t at, size, align;
        };
        std::vector<tspan> spans;
        const char* base = reinterpret_cast<const char*>(&obj);
        auto visit = [&](const char*, auto& field) {
            using F = std::remove_cvref_t<decltype(field)>;
            const char* at = reinterpret_cast<const char*>(&field);
            // Values made on the spot (a timer's tick count) are not members: nothing to lay out.
            if (at >= base && at < base + sizeof(T)) spans.push_back({size_t(at - base), sizeof(F), alignof(F)});
            member(field);
        };
        tvisit<decltype(visit)> v{visit};
        obj.fields(v);
        // What a record keeps outside the world (a walk's bookkeeping, a cache) it names in
        // `unlisted`, in the same form.
        if constexpr (requires { obj.unlisted(v); }) obj.unlisted(v);
        std::sort(spans.begin(), spans.end(), [](const tspan& a, const tspan& b) { return a.at < b.at; });
        size_t end = std::is_polymorphic_v<T> ? sizeof(void*) : 0;
        for (const tspan& s : spans) {
            if (s.at > alignup(end, s.align))
                faults.push_back(name + ": bytes " + std::to_string(end) + ".." + std::to_string(s.at) +
                                 " are in no field of its list");
            end = std::max(end, s.at + s.size);
        }
        if (alignup(end, alignof(T)) != sizeof(T))
            faults.push_back(name + ": bytes " + std::to_string(end) + ".." + std::to_string(sizeof(T)) +
                             " are in no field of its list");
    }

    // The records a field holds: itself, or the elements of its slots, vectors and arrays
    // (checked on a fresh element when the list is empty), or the record it points at.
    template <class F>
    void member(F& field) {
        if constexpr (hasfields<F>) {
            record(field);
        } else if constexpr (requires { typename F::element_type; }) {   // unique_ptr
            using E = typename F::element_type;
            if (field) member(*field);
            else if constexpr (std::is_default_constructible_v<E>) fresh<E>();
        } else if constexpr (requires { typename F::value_type; field.size(); } && !std::is_same_v<F, std::string>) {
            using E = typename F::value_type;
            if (!field.empty()) member(*field.begin());
            else if constexpr (std::is_default_constructible_v<E>) fresh<E>();
        } else if constexpr (std::is_array_v<F>) {
            member(field[0]);
        } else if constexpr (std::is_pointer_v<F>) {
            using E = std::remove_cv_t<std::remove_pointer_t<F>>;
            if constexpr (hasfields<E>) {
                if (field) record(*const_cast<E*>(field));
                else if constexpr (std::is_default_constructible_v<E>) fresh<E>();
            }
        }
    }

    template <class E>
    void fresh() {
        if constexpr (hasfields<E> || requires { typename E::element_type; }) {
            auto e = std::make_unique<E>();
            member(*e);
        }
    }

    // The visitor shape `fields` expects: v(name, field).
    template <class L>
    struct tvisit {
        L& l;
        template <class F>
        void operator()(const char* name, F& f) { l(name, f); }
        template <class F>
        void operator()(const char* name, const F& f) { l(name, const_cast<F&>(f)); }
    };
};

struct fields : worldtest {};

TEST_F(fields, every_record_of_the_world_lists_all_its_fields) {
    tfieldcheck check;
    auto each = [&](const char*, auto& obj) { check.member(obj); };
    tfieldcheck::tvisit<decltype(each)> v{each};
    world->fields(v);
    EXPECT_GT(check.seen.size(), 30u);   // the lists, their records and the framework's objects
    for (const std::string& f : check.faults) ADD_FAILURE() << f;
}

// Records with a field left out, where the check must find it.
struct tlastint {
    int a = 0;
    float b = 0;
    int c = 0;   // not listed
    template <class V> void fields(V& v) { v("a", a); v("b", b); }
};
struct tmiddlepointer {
    int a = 0;
    const char* p = nullptr;   // not listed
    double d = 0;
    template <class V> void fields(V& v) { v("a", a); v("d", d); }
};
struct tinner {
    float x = 0, y = 0;   // y not listed
    template <class V> void fields(V& v) { v("x", x); }
};
struct touter {
    std::vector<std::unique_ptr<tinner>> d;   // empty: checked on a fresh record
    int count = 0;
    template <class V> void fields(V& v) { v("d", d); v("count", count); }
};
struct tcomplete {
    char c = 0;
    int a = 0;
    std::array<float, 3> f{};
    std::string s;
    template <class V> void fields(V& v) { v("c", c); v("a", a); v("f", f); v("s", s); }
};

TEST(fieldsleftout, are_found_in_the_record_that_lacks_them) {
    struct tcase {
        std::string record;   // "" when the list is complete
        void (*run)(tfieldcheck&);
    };
    const tcase cases[] = {
        {"tlastint", [](tfieldcheck& c) { tlastint r; c.member(r); }},
        {"tmiddlepointer", [](tfieldcheck& c) { tmiddlepointer r; c.member(r); }},
        {"tinner", [](tfieldcheck& c) { touter r; c.member(r); }},
        {"", [](tfieldcheck& c) { tcomplete r; c.member(r); }},
    };
    for (const tcase& t : cases) {
        tfieldcheck check;
        t.run(check);
        if (t.record.empty()) {
            EXPECT_TRUE(check.faults.empty()) << check.faults.front();
        } else {
            ASSERT_EQ(check.faults.size(), 1u) << t.record;
            EXPECT_EQ(check.faults[0].rfind("(anonymous namespace)::" + t.record + ":", 0), 0u) << check.faults[0];
        }
    }
}

}  // namespace
