#pragma once
// The real main window, offscreen, for the window benchmarks: a scratch folder as the program's
// folder, test clocks, the application and the forms the window talks to, first activation done
// and the display timer off (the benchmarks run the tick themselves). One per program.
#include "platform/forms/Application.h"
#include "platform/forms/Timer.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/ProgramPath.h"
#include "ui/MainUnit.h"
#include "ui/SplitHistoryUnit.h"
#include "upload/UploadSplitsUnit.h"

#include <cstdlib>
#include <filesystem>
#include <string>

class MainWindowBench {
public:
    MainWindowBench() {
        std::string pattern = (std::filesystem::temp_directory_path() / "lapwren-bench-XXXXXX").string();
        folder_ = mkdtemp(pattern.data()) != nullptr ? pattern + "/" : "/tmp/";
        rt::SetProgramDirectoryForTests(folder_);
        rt::SetTestMonotonicClock(1'000'000'000);
        rt::SetTestWallClock(1'700'000'000'000'000);

        Application.Initialize();
        Application.CreateForm(MainForm);
        SplitHistoryForm = new TSplitHistoryForm(nullptr);
        UploadSplitsForm = new TUploadSplitsForm(nullptr);
        MainForm->Show();
        if (!MainForm->StartupDone)
            MainForm->FormActivate(MainForm);
        MainForm->DisplayTimer->SetEnabled(false);
    }
    ~MainWindowBench() {
        std::error_code ec;
        std::filesystem::remove_all(folder_, ec);
    }
    MainWindowBench(const MainWindowBench&) = delete;
    MainWindowBench& operator=(const MainWindowBench&) = delete;

    // The scratch folder, with a trailing '/'.
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
};
