// The commands behind their guards: the key-repeat guard, the alarm guard, and the commands
// whose effects are easiest to get wrong.

#include "support/RunWindowFixture.h"

#include "platform/forms/ComboBox.h"
#include "platform/forms/MediaPlayer.h"
#include "platform/forms/Menus.h"
#include "platform/forms/TestSeams.h"
#include "ui/SplitHistoryUnit.h"

namespace {

const std::vector<SplitRowSpec> kFour = {
    SplitRowSpec("A", {"10.00", "10.00"}), SplitRowSpec("B", {"10.00", "20.00"}),
    SplitRowSpec("C", {"10.00", "30.00"}), SplitRowSpec("D", {"10.00", "40.00"})};

} // namespace

class Commands : public RunWindowTest {
protected:
    void StartRace(const Overrides& overrides = {}) {
        StartExample(overrides);
        OpenWithKeys(WriteSplitFile("race.txt", "Race", {"PB"}, kFour));
        ASSERT_TRUE(Form->SplitData->HasFile());
    }
};

TEST_F(Commands, a_second_split_within_the_guard_is_ignored_and_does_not_restart_it) {
    StartRace();
    Press("Space");
    Advance(1);
    Press("Space"); // split 1 at 1.00
    Advance(0.2);
    Press("Space"); // 0.2 s later: ignored
    EXPECT_EQ(Form->SplitData->GetCurrentSplit(), 1u);
    Advance(0.1);
    Press("Space"); // 0.3 s after the taken split
    EXPECT_EQ(Form->SplitData->GetCurrentSplit(), 2u);
    EXPECT_EQ(Form->SplitData->GetCellTime(1, 2), 130);
    Advance(0.2);
    Press("S");
    Press("BkSp");
    EXPECT_EQ(Form->SplitData->GetCurrentSplit(), 2u) << "skip and undo share the guard";
}

TEST_F(Commands, pause_and_resume_have_no_guard) {
    StartRace();
    Press("P");
    Advance(1);
    Press("P");
    EXPECT_FALSE(Form->SplitData->IsTimerRunning());
    Press("P");
    EXPECT_TRUE(Form->SplitData->IsTimerRunning());
    EXPECT_EQ(Form->SessionAttemptsLabel->Caption(), "S: 1");
}

TEST_F(Commands, the_split_key_starts_a_run_at_zero_and_resumes_a_paused_one) {
    StartRace();
    Press("Space");
    EXPECT_TRUE(Form->SplitData->IsTimerRunning());
    EXPECT_EQ(Form->TotalAttemptsLabel->Caption(), "T: 4");
    Advance(2);
    Press("P");
    Advance(2);
    Press("Space");
    EXPECT_TRUE(Form->SplitData->IsTimerRunning());
    EXPECT_EQ(Form->SplitData->GetCurrentSplit(), 0u);
    EXPECT_EQ(Form->SplitData->GetElapsed(), 200);
}

struct ResetCase {
    const char* name;
    bool restartMode;
    double secondsAfterSplit;
    bool restarted;
};

class ResetTimer : public Commands, public ::testing::WithParamInterface<ResetCase> {};

TEST_P(ResetTimer, resets_always_restarts_only_outside_the_guard_and_restarts_the_guard) {
    const ResetCase& c = GetParam();
    StartRace({{"Misc/ResetTimerRestartTimerMode", c.restartMode ? "Y" : "N"}});
    Press("Space");
    Advance(1);
    Press("Space");
    Advance(c.secondsAfterSplit);
    Press("R");
    EXPECT_EQ(Form->SplitData->GetCurrentSplit(), 0u);
    EXPECT_EQ(Form->SplitData->GetCellTime(0, 2), 0);
    EXPECT_EQ(Form->SplitData->IsTimerRunning(), c.restarted);
    EXPECT_EQ(Form->TotalAttemptsLabel->Caption(), c.restarted ? "T: 5" : "T: 4");
    EXPECT_EQ(Form->KeyGuard->Elapsed(), -25);
}

INSTANTIATE_TEST_SUITE_P(Commands, ResetTimer,
                         ::testing::Values(ResetCase{"restart_mode_outside_the_guard", true, 1.0, true},
                                           ResetCase{"restart_mode_inside_the_guard", true, 0.1, false},
                                           ResetCase{"no_restart_mode", false, 1.0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Commands, save_current_splits_keeps_a_stored_run_that_was_faster) {
    StartRace({{"Misc/AutoSaveBestRun", "N"}});
    const std::string before = ReadFile("race.txt");
    Press("Space");
    for (int i = 0; i < 4; ++i) {
        Advance(11);
        Press("Space");
    }
    ASSERT_EQ(StatusText(), "Done!");
    const std::string afterRun = ReadFile("race.txt");
    Press("Ctrl+S");
    EXPECT_EQ(ReadFile("race.txt"), afterRun);
    EXPECT_NE(afterRun, before) << "the attempt count went up at the start";
}

TEST_F(Commands, opening_a_file_that_is_not_a_split_file_leaves_the_window_as_close_splits_does) {
    StartRace();
    Press("Ctrl+W");
    const int closedWidth = Form->Width();
    const int closedHeight = Form->Height();
    OpenWithKeys(Dir + "race.txt");
    ASSERT_TRUE(Form->SplitData->HasFile());
    ASSERT_NE(Form->Height(), closedHeight);
    Press("Space");
    Press("D");
    ASSERT_EQ(CounterCaption(0), "(1 / 1) Deaths");

    WriteTextFile("notes.txt", {"LPWSplitState\trace.txt", "1.00\t0"});
    OpenWithKeys(Dir + "notes.txt");
    EXPECT_FALSE(Form->SplitData->HasFile());
    EXPECT_EQ(Form->SplitData->GetRowCount(), 0u);
    EXPECT_EQ(Form->Width(), closedWidth);
    EXPECT_EQ(Form->Height(), closedHeight);
    EXPECT_FALSE(Form->CountersMenu->Visible());
    EXPECT_FALSE(Form->TotalAttemptsLabel->Visible());
    EXPECT_EQ(CounterCaption(0), "Deaths");
    Press("P"); // the plain timer runs
    Press("D");
    EXPECT_EQ(CounterCaption(0), "Deaths") << "without a split file nothing is counted";
}

TEST_F(Commands, open_split_state_restores_a_paused_run_on_a_rebuilt_table) {
    StartRace();
    WriteTextFile("saved.txt", {"LPWSplitState\trace.txt", "25.00\t2", "9.00", "21.00"});
    {
        ScopedOpenDialogHandler dialog(
            [&](TOpenDialog&) { return std::optional<std::string>(Dir + "saved.txt"); });
        Press("Ctrl+Shift+O");
    }
    ASSERT_TRUE(Form->SplitData->HasFile());
    EXPECT_EQ(TimeText(1, 2), "21.00");
    EXPECT_EQ(DiffText(1, 2), "+2.00");
    Tick();
    EXPECT_EQ(StatusText(), "Paused  -6.00") << "4.00 into a split whose PB segment is 10.00";
    EXPECT_EQ(TimeText(2, 2), "4.00") << "the split in progress began at the restored 21.00";
}

TEST_F(Commands, the_history_graph_shows_the_rows_and_the_whole_run_from_a_fresh_log) {
    StartRace({{"Misc/AutoLogRuns", "Y"}});
    Press("Space");
    Advance(3);
    Press("R");
    std::vector<std::string> choices;
    int totalRuns = -1;
    ScopedModalHandler modal([&](TForm& form) {
        EXPECT_EQ(&form, static_cast<TForm*>(SplitHistoryForm));
        for (int i = 0; i < SplitHistoryForm->SplitComboBox->Items()->Count(); ++i)
            choices.push_back(SplitHistoryForm->SplitComboBox->Items()->Strings(i));
        EXPECT_EQ(SplitHistoryForm->SplitComboBox->ItemIndex(), 4);
        EXPECT_EQ(SplitHistoryForm->RangeComboBox->ItemIndex(), 3);
        totalRuns = Form->SplitData->history.totalRuns;
        return mrOk;
    });
    Press("Ctrl+G");
    EXPECT_EQ(choices, (std::vector<std::string>{"A", "B", "C", "D", "Run"}));
    EXPECT_EQ(totalRuns, 1);
}

class Alarm : public RunWindowTest {
protected:
    void StartPlainTimer() {
        StartExample({{"Misc/TimerModeAlarmTime", "10.00"}, {"Misc/TimerModeAlarmFile", "alarm.wav"}});
        Press("P");
        Advance(10);
        Tick();
        ASSERT_TRUE(Form->SoundPlayer->FileName().empty()) << "not before the alarm time has passed";
        Advance(0.01);
    }
    void WriteSound() {
        // 0.01 s of silence, 8 kHz mono 8-bit.
        std::string wav = "RIFF";
        const uint32_t samples = 80;
        auto le32 = [](uint32_t v) {
            return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
        };
        wav += le32(36 + samples) + "WAVEfmt " + le32(16) + std::string{1, 0, 1, 0} + le32(8000) +
               le32(8000) + std::string{1, 0, 8, 0} + "data" + le32(samples) +
               std::string(samples, char(0x80));
        WriteFile("alarm.wav", wav);
    }
};

TEST_F(Alarm, sounds_until_a_key_acknowledges_it_and_that_key_does_nothing_else) {
    WriteSound();
    StartPlainTimer();
    Tick();
    EXPECT_EQ(Form->SoundPlayer->FileName(), Dir + "alarm.wav");
    Form->SoundPlayerOnNotify(Form->SoundPlayer); // the end of a playback replays it
    EXPECT_EQ(Form->SoundPlayer->FileName(), Dir + "alarm.wav");
    Press("P");
    EXPECT_TRUE(Form->SplitData->IsTimerRunning()) << "the press only acknowledged the alarm";
    EXPECT_TRUE(Form->AlarmAcknowledged);
    Form->SoundPlayerOnNotify(Form->SoundPlayer);
    EXPECT_EQ(Form->SoundPlayer->FileName(), "");
    Tick();
    EXPECT_EQ(Form->SoundPlayer->FileName(), "") << "an acknowledged alarm does not sound again";
    Press("P");
    EXPECT_FALSE(Form->SplitData->IsTimerRunning());
}

TEST_F(Alarm, a_typed_character_acknowledges_it_and_is_swallowed) {
    WriteSound();
    StartPlainTimer();
    Tick();
    char key = 'x';
    Form->FormKeyPress(Form, key);
    EXPECT_EQ(key, '\0');
    EXPECT_TRUE(Form->AlarmAcknowledged);
}

TEST_F(Alarm, a_missing_sound_file_counts_as_heard_until_a_reset_rearms_it) {
    StartPlainTimer();
    Tick();
    EXPECT_TRUE(Form->AlarmAcknowledged);
    WriteSound();
    Tick();
    EXPECT_EQ(Form->SoundPlayer->FileName(), "") << "no second attempt";
    Press("R");
    EXPECT_FALSE(Form->AlarmAcknowledged);
    Advance(0.3);
    Press("P");
    Advance(10.01);
    Tick();
    EXPECT_EQ(Form->SoundPlayer->FileName(), Dir + "alarm.wav");
}
