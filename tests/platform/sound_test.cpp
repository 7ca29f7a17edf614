// PlaySoundW: a WAVE resource named by the caller reaches the backend whole; no name
// stops the sound; what cannot be found or is not a resource is not played.
#include <gtest/gtest.h>

#include <string>

#include "platform/backend.h"
#include "platform/resources.h"
#include "platform/win32.h"

namespace {

struct Played {
    int plays, stops;
    std::string name;
    const uint8_t* wave;
    uint32_t size;
};
Played played;

bool Open(int) { return true; }
void Close() {}
void Present(const uint32_t*, int) {}
bool PollEvent(InputEvent*) { return false; }
uint32_t Now() { return 0; }
void WaitEvent(uint32_t) {}
void Raise() {}
void PlaySound(const char* name, const uint8_t* wave, uint32_t size) {
    ++played.plays;
    played.name = name;
    played.wave = wave;
    played.size = size;
}
void StopSound() { ++played.stops; }

const Backend kListeningBackend = {"listening", Open, Close, Present, PollEvent, Now,
                                   WaitEvent, Raise, PlaySound, StopSound};

class Sound : public testing::Test {
protected:
    void SetUp() override {
        played = {};
        ASSERT_TRUE(UseBackend(&kListeningBackend, 1));
    }
    void TearDown() override { UseBackend(&kHeadlessBackend, 1); }
};

TEST_F(Sound, AWaveResourceIsHandedToTheBackendByName) {
    EXPECT_TRUE(PlaySoundW(u"chime", nullptr, SND_RESOURCE | SND_ASYNC));
    ASSERT_EQ(played.plays, 1);
    EXPECT_EQ(played.name, "chime");
    ResourceBlob chime{};
    ASSERT_TRUE(LookUpResourceByName(ResourceType::Wave, u"CHIME", &chime));
    EXPECT_EQ(played.wave, chime.data);
    EXPECT_EQ(played.size, chime.size);
    EXPECT_EQ(played.stops, 0);
}

TEST_F(Sound, NoNameStopsTheSound) {
    EXPECT_TRUE(PlaySoundW(nullptr, nullptr, SND_FILENAME | SND_NODEFAULT | SND_ASYNC));
    EXPECT_EQ(played.stops, 1);
    EXPECT_EQ(played.plays, 0);
}

TEST_F(Sound, WhatIsNotAWaveResourceIsNotPlayed) {
    EXPECT_FALSE(PlaySoundW(u"THUNDER", nullptr, SND_RESOURCE | SND_ASYNC));
    EXPECT_FALSE(PlaySoundW(u"CHIME", nullptr, SND_FILENAME | SND_ASYNC));   // a file name, not a resource
    EXPECT_EQ(played.plays, 0);
    EXPECT_EQ(played.stops, 0);
}

}  // namespace
