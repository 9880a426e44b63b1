// The language file beside the program: seven Latin-1 sections of 31 lines, English first,
// with a mnemonic in every menu text that no other entry of the same menu shares.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/language.h"
#include "framework/menutags.h"
#include "framework/screenwords.h"
#include "game/world.h"
#include "tests/support/world.h"

namespace {

struct tsection {
    std::string name;
    std::vector<std::string> lines;
};

// Read with the game's line rules: LF ends a line, CRs are dropped, empty lines and lines
// whose first non-blank is ';' are skipped.
std::vector<tsection> sections() {
    std::ifstream f("varnhold.lng", std::ios::binary);
    EXPECT_TRUE(f.good()) << "varnhold.lng is missing";
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    std::vector<tsection> out;
    std::stringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        std::string l;
        for (char c : line)
            if (c != '\r') l += c;
        size_t first = l.find_first_not_of(' ');
        if (first == std::string::npos || l[first] == ';') continue;
        if (l[first] == '[') {
            std::string name = l.substr(first);
            while (!name.empty() && (name.back() == ']' || name.back() == ' ')) name.pop_back();
            out.push_back({name.substr(1), {}});
        } else if (!out.empty()) {
            out.back().lines.push_back(l);
        }
    }
    return out;
}

// The letter after the single '&' of a menu text, lower-cased (Latin-1 letters as they are).
int mnemonic(const std::string& s) {
    size_t p = s.find('&');
    if (p == std::string::npos || p + 1 >= s.size() || s.find('&', p + 1) != std::string::npos) return -1;
    unsigned char c = static_cast<unsigned char>(s[p + 1]);
    return c < 128 ? std::tolower(c) : c;
}

}  // namespace

// The first 30 lines as the file has always had them (a line added later goes after them).
TEST(assetlanguage, seven_full_sections_english_first) {
    std::vector<tsection> s = sections();
    ASSERT_EQ(s.size(), 7u);
    EXPECT_EQ(s[0].name, "English");
    std::set<std::string> names;
    for (auto& sec : s) {
        EXPECT_EQ(sec.lines.size(), size_t(languagelines)) << sec.name;
        names.insert(sec.name);
    }
    EXPECT_EQ(names.size(), 7u);
    const char* english[30] = {"&Game", "&Start (Enter)", "Show &hiscore", "&Quit", "&Options",
                               "Reset &windowsize", "Auto select mouse&button",
                               "&1 button mouse (Auto select turret)", "&2 button mouse",
                               "&Pause between levels", "Hide &text (H)", "&Pause (P)", "&Volume",
                               "&Help", "Level", "Score", "City", "Missiles", "Name", "Combo x",
                               "Press right mousebutton or enter to start", "Get Ready",
                               "The enemy is rearming", "Game Over", "Place", "Enter your name",
                               "Reduce &flashing", "Send s&cores", "Shared high sco&res",
                               "&Watch the best game"};
    for (int i = 0; i < 30 && i < int(s[0].lines.size()); i++) EXPECT_EQ(s[0].lines[i], english[i]);
}

TEST(assetlanguage, file_is_latin1_with_placement_word_and_score_words) {
    std::vector<tsection> s = sections();
    for (auto& sec : s) {
        ASSERT_GE(sec.lines.size(), 30u);
        // The game adds the blank after the placement word itself.
        EXPECT_NE(sec.lines[24].back(), ' ') << sec.name;
        EXPECT_FALSE(sec.lines[24].empty()) << sec.name;
        EXPECT_EQ(sec.lines[19], "Combo x") << sec.name;
        for (auto& l : sec.lines)
            for (size_t i = 0; i + 1 < l.size(); i++) {
                // A UTF-8 lead byte followed by a continuation byte would show as two letters.
                unsigned char a = l[i], b = l[i + 1];
                EXPECT_FALSE(a >= 0xC2 && a <= 0xC3 && b >= 0x80 && b <= 0xBF) << sec.name << ": " << l;
            }
    }
    // The German umlauts arrive as single Latin-1 bytes.
    bool umlaut = false;
    for (auto& l : s[1].lines) umlaut = umlaut || l.find('\xe4') != std::string::npos;
    EXPECT_TRUE(umlaut);
}

// Every line of a section is one menu entry's or one word of the screen, and every tag names
// one entry.
TEST(assetlanguage, every_line_and_tag_of_the_lists_is_used_once) {
    std::map<int, int> lines, tags;
    for (const tscreenword& w : screenwords) lines[w.line]++;
    for (const tscreenword& w : linewords) lines[w.line]++;
    for (const tmenuentry& e : menuentries) {
        if (e.line) lines[e.line]++;
        if (e.kind != menukind_separator) tags[renamedtag(e)]++;
    }
    for (int line = 1; line <= languagelines; line++) EXPECT_EQ(lines[line], 1) << "line " << line;
    EXPECT_EQ(int(lines.size()), languagelines);
    for (auto [tag, n] : tags) EXPECT_EQ(n, 1) << "tag " << tag;
}

TEST(assetlanguage, mnemonics_are_unique_within_each_menu) {
    // The lines of each menu, by the menu list: the bar's (the untranslated "&Language" holds
    // L), then one menu after another.
    std::vector<std::vector<int>> menus(1);
    for (const tmenuentry& e : menuentries) {
        bool bar = e.kind == menukind_bar || e.kind == menukind_volume || e.kind == menukind_languages;
        if (e.kind == menukind_bar) menus.emplace_back();
        if (e.line) (bar ? menus[0] : menus.back()).push_back(e.line - 1);
    }
    for (auto& sec : sections()) {
        ASSERT_EQ(sec.lines.size(), size_t(languagelines));
        for (size_t m = 0; m < menus.size(); m++) {
            std::set<int> used;
            if (m == 0) used.insert('l');
            for (int i : menus[m]) {
                int c = mnemonic(sec.lines[size_t(i)]);
                EXPECT_NE(c, -1) << sec.name << ": " << sec.lines[size_t(i)];
                EXPECT_TRUE(used.insert(c).second) << sec.name << ": " << sec.lines[size_t(i)] << " repeats its mnemonic";
            }
        }
        // Screen words carry no mnemonic.
        for (const tscreenword& w : screenwords)
            EXPECT_EQ(sec.lines[size_t(w.line - 1)].find('&'), std::string::npos) << sec.name;
    }
}

struct assetlanguageworld : worldtest {};

// Read by the game: English gives back the built-in texts, and every language puts exactly
// one blank between the placement word and the row number.
TEST_F(assetlanguageworld, every_language_reads_into_the_screen_words) {
    ASSERT_EQ(world->langcount, 7);
    loadlanguage(101);
    EXPECT_EQ(world->txtplace, "Place ");
    EXPECT_EQ(world->txtstart, "Press right mousebutton or enter to start");
    for (int tag = 101; tag <= 107; tag++) {
        loadlanguage(tag);
        ASSERT_GE(world->txtplace.size(), 2u) << tag;
        EXPECT_EQ(world->txtplace.back(), ' ') << tag;
        EXPECT_NE(world->txtplace[world->txtplace.size() - 2], ' ') << tag;
        EXPECT_FALSE(world->txtgetready.empty()) << tag;
        // The start line fits the playfield.
        EXPECT_LT(world->wstart * 2, 800) << tag;
    }
    loadlanguage(101);
}
