// The data's digest is what the game takes from the files: pictures written again by another
// encoder (every pixel the same) keep it, one changed pixel does not; and the score server
// judges a replay by the digest its format names.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/datadigest.h"
#include "app/replay.h"
#include "app/replayfile.h"
#include "platform/platform.h"
#include "server/verifier.h"
#include "tests/support/files.h"
#include "tests/support/world.h"

namespace fs = std::filesystem;

namespace {

// Copies of the build's data: as built; every picture deflated again at zlib level 1 (the
// generator writes level 9); and the same with one pixel of the sky one step redder.
struct datacopies {
    testsupport::tempdir dir;
    std::string built = dir / "built", redeflated = dir / "redeflated", pixel = dir / "pixel";

    datacopies() {
        for (const std::string& to : {built, redeflated, pixel}) {
            fs::create_directories(to + "/data");
            fs::copy_file("varnhold.lng", to + "/varnhold.lng");
        }
        for (const fs::directory_entry& e : fs::directory_iterator("data")) {
            std::string name = e.path().filename().string();
            if (name[0] == '_') continue;
            fs::copy_file(e.path(), built + "/data/" + name);
            if (e.path().extension() != ".png") {
                fs::copy_file(e.path(), redeflated + "/data/" + name);
                fs::copy_file(e.path(), pixel + "/data/" + name);
                continue;
            }
            TPixmap& p = LockImage(LoadImage(e.path().string()), 0, true, false);
            EXPECT_TRUE(SavePixmapPNG(p, redeflated + "/data/" + name, 1)) << name;
            if (name == "sky.png") PixelBytes(p, 3, 600)[0] ^= 1;
            EXPECT_TRUE(SavePixmapPNG(p, pixel + "/data/" + name, 1)) << name;
            if (name == "sky.png") PixelBytes(p, 3, 600)[0] ^= 1;
        }
    }
};

const datacopies& copies() {
    testsupport::startplatform();
    static datacopies c;
    return c;
}

}  // namespace

TEST(DataDigest, PicturesWrittenAgainKeepItOneChangedPixelDoesNot) {
    if (FileType("data") != 2) GTEST_SKIP() << "no data/ yet";
    const datacopies& c = copies();
    tdatadigests built = datadigests(c.built);
    ASSERT_NE(built.content, 0u);
    EXPECT_EQ(built.content, datadigest("."));
    EXPECT_EQ(built.bytes, databytesdigest("."));
    EXPECT_NE(built.content, built.bytes);
    struct {
        const char* what;
        std::string dir;
        bool samecontent;
    } cases[] = {
        {"deflated again", c.redeflated, true},
        {"one pixel changed", c.pixel, false},
    };
    for (const auto& k : cases) {
        tdatadigests d = datadigests(k.dir);
        EXPECT_NE(d.bytes, built.bytes) << k.what;
        EXPECT_EQ(d.content == built.content, k.samecontent) << k.what;
    }
    // the digest decodes the files afresh: nothing that was noted of other bytes is reused
    ForgetDecodedDigests();
    EXPECT_EQ(datadigest(c.redeflated), built.content);
    EXPECT_NE(datadigest(c.pixel), built.content);
}

namespace {
struct serverdata : worldtest {
    void TearDown() override {
        stoprecording();
        worldtest::TearDown();
    }
};
}  // namespace

// A game recorded here (format 3, the content digest) is accepted by a server whose pictures
// were written by another encoder and refused by one with a changed pixel; a replay of 1.1.0
// (format 2, the bytes' digest) is accepted where it names the server's own files' bytes.
TEST_F(serverdata, ServersJudgeAReplayByTheDigestItsFormatNames) {
    const datacopies& c = copies();
    startrecording("", seed());
    stepframes(30);
    std::string played = writereplay(recordedreplay());
    ASSERT_EQ(played.rfind("# ", 0), 0u);
    ASSERT_NE(played.find("\nvarnhold-replay " + std::to_string(replayformat) + "\n"), std::string::npos);
    treplay old = parsereplay(played).replay;
    old.format = 2;
    old.data = databytesdigest(c.built);
    std::string older = writereplay(old);
    ASSERT_NE(older.find("\nvarnhold-replay 2\n"), std::string::npos);

    struct {
        const char* what;
        const std::string* text;
        std::string dir;
        bool accepted;
    } cases[] = {
        {"recorded, server as built", &played, c.built, true},
        {"recorded, server's pictures deflated again", &played, c.redeflated, true},
        {"recorded, server with a changed pixel", &played, c.pixel, false},
        {"1.1.0, server as built", &older, c.built, true},
        {"1.1.0, server's pictures deflated again", &older, c.redeflated, false},
    };
    for (const auto& k : cases) {
        tverified v = precheck(*k.text, programversion(), datadigests(k.dir), 1000000);
        EXPECT_EQ(v.kind == tverified::ok, k.accepted) << k.what << ": " << v.reason;
        if (!k.accepted)
            EXPECT_NE(v.reason.find("played with other pictures, sounds or texts"), std::string::npos) << k.what;
    }
}
