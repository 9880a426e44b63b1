// The embedded program info: the version for the title and the Help text.
#include <gtest/gtest.h>

#include <ctime>
#include <regex>
#include <string>

#include "app/programinfo.h"
#include "tests/support/world.h"

TEST(programinfo, gives_the_title_version_and_build) {
    testsupport::startplatform();
    registerprograminfo();
    EXPECT_EQ("Varnhold " + infovalue("version") + "." + infovalue("build"), "Varnhold 1.1.0.6181");
    EXPECT_EQ(infovalue("producer"), "Ostrel");
    EXPECT_EQ(infovalue("creation time"), "Mo, 22:55:33, 29.02.2016");
    EXPECT_EQ(infovalue("nothing"), "");
    EXPECT_EQ(infovalue("info"), "");   // the first Info line is empty
}

TEST(programinfo, help_text_lists_the_keys_then_the_info_lines) {
    testsupport::startplatform();
    registerprograminfo();
    std::string help = programinfo();
    std::string macron14(14, '\xaf'), macron13(13, '\xaf'), macron5(5, '\xaf');
    std::string head = "   Program Info   \n" + macron14 + "\n   Version: 1.1.0\n   Build: 6181\n";
    ASSERT_EQ(help.substr(0, head.size()), head);
    // the build time is stamped when the game is built, its weekday in English as all of the Help
    // text, and the day of its date
    std::regex stamp("   Build time: (Su|Mo|Tu|We|Th|Fr|Sa), \\d\\d:\\d\\d:\\d\\d, (\\d\\d)\\.(\\d\\d)\\.(\\d{4})\n");
    std::smatch m;
    std::string rest = help.substr(head.size());
    ASSERT_TRUE(std::regex_search(rest, m, stamp, std::regex_constants::match_continuous)) << rest;
    std::tm date{};
    date.tm_mday = std::stoi(m[2]);
    date.tm_mon = std::stoi(m[3]) - 1;
    date.tm_year = std::stoi(m[4]) - 1900;
    date.tm_hour = 12;
    std::mktime(&date);
    EXPECT_EQ(m[1].str(), std::string("SuMoTuWeThFrSa").substr(size_t(2 * date.tm_wday), 2)) << m[0];
    rest = rest.substr(size_t(m.length()));
    std::string tail =
        "   Creation time: Mo, 22:55:33, 29.02.2016\n"
        "   Producer: Ostrel\n"
        "\n"
        "Keyboard layout\n" + macron13 + "\n"
        "Return/Enter - New game\n"
        "Mousebuttons - Fire cannons\n"
        "A S D, Left Down Right - Fire cannons\n"
        "P - Pause\n"
        "H - Hide text\n"
        "F2 - Screenshot\n"
        "F5 - Time acceleration\n"
        "\n"
        "Score\n" + macron5 + "\n"
        "+2 Points -Missile\n"
        "-6 Points - Launcher\n"
        "-3 Points - House\n"
        "-1 Point - Car\n"
        "-2 Points - Plane\n"
        "+10 Points - Ufo\n"
        "-3 Points - Chopper\n"
        "-2 Points - Sputnik\n"
        "-2 Points per hit(3), +12 when destroyed - Meteor\n"
        "-1 Point - Jumper\n"
        "-10 Points - Flying hero\n";
    EXPECT_EQ(rest, tail);
}
