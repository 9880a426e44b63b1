// The language file: sections, comments, duplicates, short sections, and what they change.
#include <gtest/gtest.h>

#include <string>

#include "app/language.h"
#include "app/settings.h"
#include "app/world.h"
#include "framework/font.h"
#include "framework/menutags.h"
#include "framework/window.h"
#include "game/world.h"
#include "tests/support/files.h"
#include "tests/support/world.h"

namespace {

// 26 lines of one language, each marked with the language's prefix and its line number.
std::string section(const std::string& header, const std::string& p, int lines = 26) {
    std::string s = header + "\n";
    for (int i = 1; i <= lines; i++) s += p + std::to_string(i) + "\n";
    return s;
}

struct languagefile : worldtest {
    testsupport::tempdir dir;
    std::string saved;
    std::string text;   // the file each test writes before the world is built

    void build(const std::string& t) {
        testsupport::startplatform();
        saved = lngpath;
        lngpath = dir / "varnhold.lng";
        testsupport::writetext(lngpath, t);
        worldtest::SetUp();
    }
    void SetUp() override {
        testsupport::startplatform();
        if (FileType("data") != 2) GTEST_SKIP() << "no data/ yet";
    }
    void TearDown() override {
        worldtest::TearDown();
        if (!saved.empty()) lngpath = saved;
    }
    std::string menutext(int tag) { return GadgetText(world->menu.g[size_t(world->menu.find(tag))]); }
};

}  // namespace

TEST_F(languagefile, every_header_becomes_a_tickable_entry_and_the_first_is_applied) {
    build(section("[English]", "e") + section("  [[Deutsch]]  ", "d") + section("[Fran\xe7" "ais]", "f"));
    EXPECT_EQ(world->langcount, 3);
    EXPECT_EQ(menutext(101), "English");
    EXPECT_EQ(menutext(102), "Deutsch");
    EXPECT_EQ(menutext(103), "Fran\xe7" "ais");
    EXPECT_EQ(world->langtag, 101);
    EXPECT_EQ(world->menu.get(menu_language + 1), 1);
    EXPECT_EQ(world->menu.get(menu_language + 2), 0);
    EXPECT_EQ(menutext(13), "e1");
    EXPECT_EQ(world->txtlevel, "e15");
}

TEST_F(languagefile, choosing_a_language_renames_the_menus_and_the_screen_words) {
    build(section("[English]", "e") + section("[Deutsch]", "d"));
    choose(menu_language + 2);
    const int tags[14] = {13, 1, 3, 2, 14, 5, 11, 12, 4, 8, 9, 6, 49, 7};
    for (int i = 0; i < 14; i++) EXPECT_EQ(menutext(tags[i]), "d" + std::to_string(i + 1)) << "tag " << tags[i];
    EXPECT_EQ(world->txtlevel, "d15");
    EXPECT_EQ(world->txtscore, "d16");
    EXPECT_EQ(world->txtcity, "d17");
    EXPECT_EQ(world->txtmissiles, "d18");
    EXPECT_EQ(world->txtname, "d19");
    EXPECT_EQ(world->txtcombo, "d20");
    EXPECT_EQ(world->txtstart, "d21");
    EXPECT_EQ(world->txtgetready, "d22");
    EXPECT_EQ(world->txtrearming, "d23");
    EXPECT_EQ(world->txtgameover, "d24");
    EXPECT_EQ(world->txtplace, "d25 ");
    EXPECT_EQ(world->txtentername, "d26");
    EXPECT_EQ(world->wstart, world->font.width("d21") / 2);
    EXPECT_EQ(world->wgameover, world->font.width("d24"));
    EXPECT_EQ(world->langtag, 102);
    EXPECT_EQ(world->menu.get(menu_language + 1), 0);
    EXPECT_EQ(world->menu.get(menu_language + 2), 1);
    // the language entries, the volume entries and the separators keep their texts
    EXPECT_EQ(menutext(55), "&5");
}

TEST_F(languagefile, comments_and_empty_lines_inside_a_section_do_not_shift_the_texts) {
    std::string s = "[English]\n";
    for (int i = 1; i <= 26; i++) {
        s += "e" + std::to_string(i) + "\r\n";
        if (i == 3) s += "   ; a comment after blanks\n\n;another\n";
        if (i == 20) s += "\r\n";
    }
    build(s);
    EXPECT_EQ(menutext(2), "e4");
    EXPECT_EQ(world->txtcombo, "e20");
    EXPECT_EQ(world->txtstart, "e21");
    EXPECT_EQ(world->txtentername, "e26");
}

TEST_F(languagefile, lines_are_used_as_they_stand_and_platz_gets_one_blank) {
    std::string s = "[Deutsch]\n";
    for (int i = 1; i <= 26; i++) s += i == 25 ? "Platz\n" : i == 15 ? "  Level  \n" : "x\n";
    build(s);
    EXPECT_EQ(world->txtplace, "Platz ");
    EXPECT_EQ(world->txtplace + std::to_string(2 + 1), "Platz 3");
    EXPECT_EQ(world->txtlevel, "  Level  ");
}

TEST_F(languagefile, two_sections_of_one_name_give_two_entries_that_both_apply_the_first) {
    build(section("[English]", "e") + section("[Twin]", "a") + section("[Twin]", "b"));
    EXPECT_EQ(world->langcount, 3);
    choose(menu_language + 3);
    EXPECT_EQ(world->txtlevel, "a15");
    EXPECT_EQ(world->langtag, 103);
    EXPECT_EQ(world->menu.get(menu_language + 3), 1);
    EXPECT_EQ(world->menu.get(menu_language + 2), 0);
}

TEST_F(languagefile, a_short_last_section_leaves_the_missing_texts_empty) {
    build(section("[English]", "e") + section("[Short]", "s", 20));
    choose(menu_language + 2);
    EXPECT_EQ(world->txtcombo, "s20");
    EXPECT_EQ(world->txtstart, "");
    EXPECT_EQ(world->txtplace, " ");
    EXPECT_EQ(world->txtentername, "");
}

// Lines 27 to 31 name the entries added later ("Reduce &flashing", the score server's three,
// "Smooth &motion"); a section of a file made before some of them (the next header or the end
// comes first) keeps their English captions, also after a language that had them.
TEST_F(languagefile, the_later_captions_follow_line_26_and_older_sections_keep_english) {
    build(section("[New]", "n", 31) + section("[Mid]", "m", 28) + section("[Old]", "o") + section("[Last]", "l"));
    const int tags[5] = {menu_reduceflashing, menu_sendscores, menu_sharedscores, menu_watchbest, menu_smoothmotion};
    const char* english[5] = {"Reduce &flashing", "Send s&cores", "Shared high sco&res", "&Watch the best game",
                              "Smooth &motion"};
    for (int i = 0; i < 5; i++) EXPECT_EQ(menutext(tags[i]), "n" + std::to_string(27 + i));
    EXPECT_EQ(world->txtentername, "n26");
    for (int tag : {102, 103, 104}) {
        choose(tag);
        int kept = tag == 102 ? 2 : 0;   // lines the section has after line 26
        for (int i = 0; i < 5; i++)
            EXPECT_EQ(menutext(tags[i]), i < kept ? "m" + std::to_string(27 + i) : english[i]) << tag << " " << i;
        EXPECT_EQ(world->txtentername, (tag == 102 ? "m" : tag == 103 ? "o" : "l") + std::string("26")) << tag;
    }
}

TEST_F(languagefile, a_missing_file_keeps_the_english_texts_and_an_empty_language_menu) {
    testsupport::startplatform();
    saved = lngpath;
    lngpath = dir / "none.lng";
    worldtest::SetUp();
    EXPECT_EQ(world->langcount, 0);
    EXPECT_EQ(world->txtstart, "Press right mousebutton or enter to start");
    EXPECT_EQ(menutext(1), "&Start (Enter)");
    EXPECT_EQ(world->wstart, world->font.width(world->txtstart) / 2);
}

TEST_F(languagefile, no_more_languages_are_listed_than_the_settings_can_name) {
    std::string s;
    for (int i = 0; i < maxlanguages + 5; i++) s += section("[L" + std::to_string(i) + "]", "x");
    build(s);
    EXPECT_EQ(world->langcount, maxlanguages);
    EXPECT_EQ(world->menu.find(menu_language + maxlanguages + 1), -1);
    EXPECT_EQ(menutext(100 + maxlanguages), "L" + std::to_string(maxlanguages - 1));
}

TEST(sectionheader, trims_blanks_then_trailing_and_leading_brackets) {
    std::string name;
    EXPECT_TRUE(sectionheader("  [[Espa\xf1ol]]] ", name));
    EXPECT_EQ(name, "Espa\xf1ol");
    EXPECT_TRUE(sectionheader("[]", name));
    EXPECT_EQ(name, "");
    EXPECT_FALSE(sectionheader("English]", name));
    EXPECT_FALSE(sectionheader("   ", name));
}

TEST_F(languagefile, the_chosen_language_is_the_language_of_the_next_start) {
    build(section("[English]", "e") + section("[Deutsch]", "d"));
    std::string keep = cfgpath;
    cfgpath = dir / "varnhold.cfg";
    choose(menu_language + 2);
    ASSERT_EQ(savesettings(), "");
    // a start that reads the settings, as the game does
    tstartup how;
    how.seeded = true;
    how.seed = 1;
    std::string missing = startup(how);
    cfgpath = keep;
    ASSERT_EQ(missing, "");
    EXPECT_EQ(world->langtag, 102);
    EXPECT_EQ(world->menu.get(menu_language + 2), 1);
    EXPECT_EQ(world->menu.get(menu_language + 1), 0);
    EXPECT_EQ(world->txtgetready, "d22");
    EXPECT_EQ(menutext(13), "d1");
}
