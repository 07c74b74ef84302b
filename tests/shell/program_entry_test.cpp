#include "shell/program_entry.h"

#include <gtest/gtest.h>

#include "settings/saver_settings.h"
#include "shell/run_mode.h"
#include "shell/shell_fakes.h"

namespace zm {
namespace {

using testing::CallLog;

class FakeProgramHost : public ProgramHost {
 public:
  bool LoadPasswordChanger() override {
    log.push_back("load password library");
    return passwordLibrary;
  }
  void ChangePassword(int64_t parent) override {
    log.push_back("change password " + std::to_string(parent));
  }
  void ReleasePasswordChanger() override { log.push_back("release password library"); }
  InstanceLock CreateInstanceLock() override {
    log.push_back("lock");
    return lock;
  }
  void CloseInstanceLock() override { log.push_back("unlock"); }
  void RunPreview(int64_t parent) override { log.push_back("preview " + std::to_string(parent)); }
  void RunConfigure() override { log.push_back("configure"); }
  void RunSaver() override {
    log.push_back("saver");
    if (failInSaver) throw std::runtime_error("broken");
  }
  void RestoreVideoMode() override { log.push_back("restore mode"); }
  void ShowErrorReport(const std::string& message) override { log.push_back("report " + message); }

  CallLog log;
  bool passwordLibrary = true;
  InstanceLock lock = InstanceLock::kCreated;
  bool failInSaver = false;
};

CallLog RunWith(FakeProgramHost& host, const char* first, const char* second = "") {
  EXPECT_EQ(RunProgram(host, first, second, 1), 0);
  return host.log;
}

TEST(ProgramEntry, EachModeRunsUnderTheInstanceLock) {
  FakeProgramHost saver, configure, preview;
  EXPECT_EQ(RunWith(saver, "/s"), (CallLog{"lock", "saver", "unlock"}));
  EXPECT_EQ(RunMode, rmSaver);
  EXPECT_EQ(RunWith(configure, ""), (CallLog{"lock", "configure", "unlock"}));
  EXPECT_EQ(RunWith(preview, "/p", "4711"), (CallLog{"lock", "preview 4711", "unlock"}));

  FakeProgramHost second;
  second.lock = ProgramHost::InstanceLock::kAlreadyRunning;
  EXPECT_EQ(RunWith(second, "/s"), (CallLog{"lock"}));
  FakeProgramHost unprotected;
  unprotected.lock = ProgramHost::InstanceLock::kUnavailable;
  EXPECT_EQ(RunWith(unprotected, "/c"), (CallLog{"lock", "configure"}));
}

TEST(ProgramEntry, ThePasswordChangeTakesNoLock) {
  FakeProgramHost host;
  EXPECT_EQ(RunWith(host, "/a", "99"),
            (CallLog{"load password library", "change password 99", "release password library"}));
  FakeProgramHost missing;
  missing.passwordLibrary = false;
  EXPECT_EQ(RunWith(missing, "/a", "oops"), (CallLog{"load password library"}));
}

TEST(ProgramEntry, ErrorsAreReportedOnceAndTheLockIsClosed) {
  SaverSettings.use_DirectX = false;  // whatever an earlier test left
  FakeProgramHost preview;
  EXPECT_EQ(RunWith(preview, "/p", "12ab"),
            (CallLog{"lock", "report '12AB' is not a valid integer value", "unlock"}));

  FakeProgramHost password;
  EXPECT_EQ(RunWith(password, "/a", ""),
            (CallLog{"load password library", "release password library",
                     "report '' is not a valid integer value"}));

  FakeProgramHost saver;
  saver.failInSaver = true;
  SaverSettings.use_DirectX = true;
  EXPECT_EQ(RunWith(saver, "/s"),
            (CallLog{"lock", "saver", "restore mode", "report broken", "unlock"}));
  SaverSettings.use_DirectX = false;
}

}  // namespace
}  // namespace zm
