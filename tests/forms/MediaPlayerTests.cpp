// The alarm's player: every playback ends and notifies, with or without a sound device, and a
// player that plays again at each end neither hangs nor spins.
#include "platform/forms/MediaPlayer.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Runs the message loop until the condition holds or the time is up; the time it took.
template <class Condition> qint64 RunUntil(Condition done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < timeoutMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return clock.elapsed();
}

class MediaPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("lapwren-sound-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        player_ = std::make_unique<TMediaPlayer>(nullptr);
        player_->OnNotify = [this](TObject* sender) {
            EXPECT_EQ(sender, player_.get());
            ++notifications_;
        };
    }
    void TearDown() override {
        player_.reset();
        fs::remove_all(dir_);
    }

    // A mono 8-bit PCM WAVE file of the given length.
    std::string WriteWave(const std::string& name, int milliseconds) {
        const uint32_t rate = 8000;
        const uint32_t bytes = rate * uint32_t(milliseconds) / 1000;
        std::string data;
        auto le32 = [&](uint32_t v) {
            for (int i = 0; i < 4; ++i) {
                data += char(v >> (8 * i));
            }
        };
        auto le16 = [&](uint32_t v) {
            data += char(v);
            data += char(v >> 8);
        };
        data += "RIFF";
        le32(36 + bytes);
        data += "WAVEfmt ";
        le32(16);
        le16(1);    // PCM
        le16(1);    // mono
        le32(rate); // samples per second
        le32(rate); // bytes per second
        le16(1);    // block align
        le16(8);    // bits per sample
        data += "data";
        le32(bytes);
        for (uint32_t i = 0; i < bytes; ++i) {
            data += char(i % 20 < 10 ? 168 : 88); // a 400 Hz square wave
        }
        return WriteFile(name, data);
    }

    std::string WriteFile(const std::string& name, const std::string& bytes) {
        const std::string path = (dir_ / name).string();
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    fs::path dir_;
    std::unique_ptr<TMediaPlayer> player_;
    int notifications_ = 0;
};

TEST_F(MediaPlayerTest, NotifiesOnceAtTheEndOfAPlaybackAndNeverFromInsidePlay) {
    player_->SetFileName(WriteWave("alarm.wav", 200));
    ASSERT_TRUE(player_->Open());
    EXPECT_EQ(player_->Length(), 200);
    player_->SetNotify(true);
    player_->Play();
    EXPECT_EQ(notifications_, 0);
    EXPECT_TRUE(player_->Playing());
    // Whether the sound reaches a device or not, the playback ends: at its length, or at the
    // latest a stall allowance after it.
    RunUntil([&] { return notifications_ > 0; }, 5000);
    EXPECT_EQ(notifications_, 1);
    EXPECT_FALSE(player_->Playing());
    EXPECT_FALSE(player_->Notify()); // used up by that Play
}

TEST_F(MediaPlayerTest, PlaysWithoutNotifyingWhenNotifyWasNotSetForThatPlay) {
    player_->SetFileName(WriteWave("alarm.wav", 100));
    ASSERT_TRUE(player_->Open());
    player_->SetNotify(true);
    player_->Play();
    RunUntil([&] { return notifications_ == 1; }, 5000);
    player_->Play(); // Notify was used up
    RunUntil([&] { return !player_->Playing(); }, 5000);
    RunUntil([] { return false; }, 50); // a late notification would arrive here
    EXPECT_EQ(notifications_, 1);
}

TEST_F(MediaPlayerTest, RepeatsFromTheBeginningWhenPlayedAgainAtEachEnd) {
    // What the alarm does: play again with Notify at every end until it is acknowledged.
    player_->SetFileName(WriteWave("alarm.wav", 100));
    ASSERT_TRUE(player_->Open());
    player_->OnNotify = [this](TObject*) {
        if (++notifications_ < 3) {
            player_->SetNotify(true);
            player_->Play();
        } else {
            player_->Close();
            player_->SetFileName("");
        }
    };
    player_->SetNotify(true);
    player_->Play();
    RunUntil([&] { return notifications_ >= 3; }, 15000);
    EXPECT_EQ(notifications_, 3);
    EXPECT_FALSE(player_->IsOpen());
    EXPECT_EQ(player_->FileName(), "");
}

TEST_F(MediaPlayerTest, RefusesToOpenAMissingFile) {
    player_->SetFileName((dir_ / "missing.wav").string());
    EXPECT_FALSE(player_->Open());
    EXPECT_FALSE(player_->IsOpen());
    player_->SetFileName("");
    EXPECT_FALSE(player_->Open());
}

TEST_F(MediaPlayerTest, EndsAndNotifiesForAFileThatIsNoSoundInsteadOfHanging) {
    player_->SetFileName(WriteFile("noise.wav", std::string(3000, '\x5A')));
    ASSERT_TRUE(player_->Open()); // readable; whether it plays shows only when played
    player_->SetNotify(true);
    player_->Play();
    EXPECT_EQ(notifications_, 0);
    RunUntil([&] { return notifications_ > 0; }, 6000);
    EXPECT_EQ(notifications_, 1);
}

TEST_F(MediaPlayerTest, PlayOnAClosedPlayerStillEndsWithANotification) {
    // A file that vanished between the caller's check and Open must not leave the alarm cycle
    // waiting forever.
    player_->SetNotify(true);
    player_->Play();
    RunUntil([&] { return notifications_ > 0; }, 5000);
    EXPECT_EQ(notifications_, 1);
}

TEST_F(MediaPlayerTest, CloseAndStopEndAPlaybackWithoutANotification) {
    player_->SetFileName(WriteWave("alarm.wav", 2000));
    ASSERT_TRUE(player_->Open());
    player_->SetNotify(true);
    player_->Play();
    player_->Stop();
    EXPECT_FALSE(player_->Playing());
    EXPECT_TRUE(player_->IsOpen());
    player_->SetNotify(true);
    player_->Play();
    RunUntil([] { return false; }, 100);
    player_->Close();
    EXPECT_FALSE(player_->Playing());
    EXPECT_FALSE(player_->IsOpen());
    RunUntil([] { return false; }, 300);
    EXPECT_EQ(notifications_, 0);
}

TEST_F(MediaPlayerTest, WaitMakesPlayReturnOnlyAtTheEnd) {
    player_->SetFileName(WriteWave("alarm.wav", 150));
    ASSERT_TRUE(player_->Open());
    player_->SetWait(true);
    player_->SetNotify(true);
    QElapsedTimer clock;
    clock.start();
    player_->Play();
    EXPECT_FALSE(player_->Playing());
    EXPECT_GE(clock.elapsed(), 100);
    RunUntil([&] { return notifications_ > 0; }, 1000);
    EXPECT_EQ(notifications_, 1);
}

TEST_F(MediaPlayerTest, WithoutAutoRewindAPlayAfterTheEndEndsAtOnce) {
    player_->SetFileName(WriteWave("alarm.wav", 600));
    ASSERT_TRUE(player_->Open());
    player_->SetAutoRewind(false);
    player_->SetNotify(true);
    player_->Play();
    RunUntil([&] { return notifications_ == 1; }, 6000);
    ASSERT_EQ(notifications_, 1);
    player_->SetNotify(true);
    player_->Play();
    const qint64 took = RunUntil([&] { return notifications_ == 2; }, 6000);
    EXPECT_EQ(notifications_, 2);
    EXPECT_LT(took, 400);
}

TEST_F(MediaPlayerTest, CanBeDeletedWhilePlaying) {
    player_->SetFileName(WriteWave("alarm.wav", 1000));
    ASSERT_TRUE(player_->Open());
    player_->SetNotify(true);
    player_->Play();
    RunUntil([] { return false; }, 50);
    player_.reset();
    RunUntil([] { return false; }, 100);
    EXPECT_EQ(notifications_, 0);
}

TEST_F(MediaPlayerTest, NeverWaitsForABackendThatIsStuck) {
    // Reading a pipe that nobody writes to holds the backend's threads as a deadlock inside the
    // backend does: the caller's thread must not wait for them, and the playback still ends.
    const std::string path = (dir_ / "stuck.wav").string();
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    const int writer = ::open(path.c_str(), O_RDWR); // reading then waits instead of ending
    ASSERT_GE(writer, 0);
    // Ends the pipe after a while in any case (a plain file takes its name, then its writer
    // goes), so that a player that does wait fails the test instead of hanging it.
    const std::string plain = WriteFile("plain.wav", "");
    std::promise<void> done;
    std::thread release([writer, plain, path, ended = done.get_future()] {
        ended.wait_for(std::chrono::seconds(10));
        ::rename(plain.c_str(), path.c_str());
        ::close(writer);
    });
    QElapsedTimer clock;
    qint64 waited = 0;
    auto timed = [&](auto call) {
        clock.start();
        call();
        waited += clock.elapsed();
    };
    player_->SetFileName(path);
    timed([&] { EXPECT_TRUE(player_->Open()); });
    player_->SetNotify(true);
    timed([&] { player_->Play(); });
    RunUntil([&] { return notifications_ > 0; }, 10000);
    timed([&] { player_->Close(); });
    done.set_value();
    release.join();
    EXPECT_EQ(notifications_, 1);
    EXPECT_LT(waited, 1000);
}

} // namespace
