// The audio output over SDL2_mixer, played through SDL's dummy driver.
#include "audio/audio_output.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "support/test_support.h"

namespace velmora {
namespace {

class AudioOutputTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder = new test::TempFolder;
        for (const char* name : {"tone.ogg", "tone.mp3"}) {
            const std::string command = "sox -n -r 44100 -c 2 '" + (*folder / name) +
                                        "' synth 1.5 sine 440 vol 0.5 2>/dev/null";
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
        }
        test::WriteFile(*folder / "broken.ogg", "not a sound at all");
    }
    static void TearDownTestSuite() {
        delete folder;
        folder = nullptr;
    }

    static test::TempFolder* folder;
};

test::TempFolder* AudioOutputTest::folder = nullptr;

TEST_F(AudioOutputTest, CallsBeforeTheOutputIsOpenAreHarmless) {
    EXPECT_EQ(OpenFileStream(false, *folder / "tone.ogg", 0, 0, kStreamFlags), 0u);
    Play(0, false);
    SetVolume(0, kVolumeAttribute, 0.5f);
    Stop(0);
    FreeStream(0);
    Play(12345, false);
    FreeStream(12345);
    EXPECT_FALSE(StreamPlaying(0));
}

TEST_F(AudioOutputTest, PlaysSetsVolumeStopsAndFrees) {
    ASSERT_TRUE(InitOutput(-1, 44100, 0, nullptr, nullptr));
    StartOutput();
    for (const char* name : {"tone.ogg", "tone.mp3"}) {
        SCOPED_TRACE(name);
        const StreamHandle stream = OpenFileStream(false, *folder / name, 0, 0, kStreamFlags);
        ASSERT_NE(stream, 0u);
        EXPECT_FLOAT_EQ(StreamVolume(stream), 1.0f);
        Play(stream, false);
        EXPECT_TRUE(StreamPlaying(stream));
        SetVolume(stream, kVolumeAttribute, 0.25f);
        EXPECT_FLOAT_EQ(StreamVolume(stream), 0.25f);
        SetVolume(stream, 7, 0.75f);  // not the volume attribute
        EXPECT_FLOAT_EQ(StreamVolume(stream), 0.25f);
        SetVolume(stream, kVolumeAttribute, 3.0f);
        EXPECT_FLOAT_EQ(StreamVolume(stream), 1.0f);
        Stop(stream);
        EXPECT_FALSE(StreamPlaying(stream));
        FreeStream(stream);
        EXPECT_EQ(StreamVolume(stream), -1.0f);
        // A released handle is harmless everywhere.
        Play(stream, true);
        SetVolume(stream, kVolumeAttribute, 0.5f);
        Stop(stream);
        FreeStream(stream);
        EXPECT_FALSE(StreamPlaying(stream));
    }
}

TEST_F(AudioOutputTest, SilentOutputServesWhenNoDeviceOpens) {
    ::setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_FALSE(InitOutput(-1, 44100, 0, nullptr, nullptr));
    ASSERT_TRUE(InitOutput(-2, 44100, 0, nullptr, nullptr));
    const StreamHandle stream = OpenFileStream(false, *folder / "tone.ogg", 0, 0, kStreamFlags);
    Play(stream, false);
    EXPECT_TRUE(StreamPlaying(stream));
    FreeStream(stream);
}

TEST_F(AudioOutputTest, UnplayableFilesGiveZeroHandles) {
    ASSERT_TRUE(InitOutput(-1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(OpenFileStream(false, *folder / "missing.ogg", 0, 0, kStreamFlags), 0u);
    EXPECT_EQ(OpenFileStream(false, *folder / "broken.ogg", 0, 0, kStreamFlags), 0u);
    EXPECT_EQ(OpenFileStream(false, "", 0, 0, kStreamFlags), 0u);
}

TEST_F(AudioOutputTest, PreviewsShareOneCurrentStream) {
    ASSERT_TRUE(InitOutput(-1, 44100, 0, nullptr, nullptr));
    PreviewSound(*folder / "tone.ogg", 40);
    const StreamHandle first = CurrentStream;
    ASSERT_NE(first, 0u);
    EXPECT_TRUE(StreamPlaying(first));
    EXPECT_FLOAT_EQ(StreamVolume(first), 0.4f);

    PreviewSound(*folder / "tone.mp3", 100);
    const StreamHandle second = CurrentStream;
    EXPECT_NE(second, first);
    EXPECT_EQ(StreamVolume(first), -1.0f);  // the first preview was ended and released
    EXPECT_TRUE(StreamPlaying(second));

    StopPreview();
    EXPECT_FALSE(StreamPlaying(second));
    // The released handle stays current until the next preview; calls on it do nothing.
    EXPECT_EQ(CurrentStream, second);
    SetVolume(CurrentStream, kVolumeAttribute, 0.5f);
    StopPreview();

    // A file that cannot be played leaves a zero current stream, silently.
    PreviewSound(*folder / "missing.ogg", 50);
    EXPECT_EQ(CurrentStream, 0u);
}

TEST_F(AudioOutputTest, PlaybackEndsOnItsOwn) {
    ASSERT_TRUE(InitOutput(-1, 44100, 0, nullptr, nullptr));
    const StreamHandle stream = OpenFileStream(false, *folder / "tone.ogg", 0, 0, kStreamFlags);
    Play(stream, false);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (StreamPlaying(stream) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_FALSE(StreamPlaying(stream));
    FreeStream(stream);
}

}  // namespace
}  // namespace velmora
