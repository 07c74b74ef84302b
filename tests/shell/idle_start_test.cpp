#include "shell/idle_start.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "settings/idle_start_section.h"
#include "settings/ini_file.h"
#include "settings/temp_directory.h"
#include "shell/command_line.h"
#include "shell/idle_start_switch.h"

namespace zm {
namespace {

constexpr int64_t kIdle = 60000;

class FakeStarterHost : public IdleStarterHost {
 public:
  bool SaverRunsElsewhere() override { return elsewhere; }
  bool IdleInhibited(std::string& why) override {
    why = "a video plays";
    return inhibited;
  }
  bool StartSaver() override {
    ++starts;
    return startWorks;
  }
  void StopSaver() override { ++stops; }
  bool RestartIdleCount() override { return restarts; }
  void WakeAt(int64_t atMs) override { wake = atMs; }
  void Say(const std::string& text) override { said += text + "\n"; }

  bool elsewhere = false;
  bool inhibited = false;
  bool startWorks = true;
  bool restarts = false;
  int starts = 0;
  int stops = 0;
  int64_t wake = -1;
  std::string said;
};

TEST(IdleStart, TheSourceIsChosenInOrderAndOnlyForItsSession) {
  SessionOffers all{true, true, true, true, true};
  EXPECT_EQ(ChooseIdleSource(all), IdleSource::kExtIdleNotify);
  all.extIdleNotify = false;
  EXPECT_EQ(ChooseIdleSource(all), IdleSource::kKdeIdle);
  all.kdeIdle = false;
  EXPECT_EQ(ChooseIdleSource(all), IdleSource::kGnomeIdleMonitor);
  // Xwayland's idle time knows nothing of the Wayland clients' input.
  all.gnomeIdleMonitor = false;
  EXPECT_EQ(ChooseIdleSource(all), IdleSource::kNone);
  // An X session: the Wayland protocols of a nested compositor do not count.
  SessionOffers x{false, true, true, false, true};
  EXPECT_EQ(ChooseIdleSource(x), IdleSource::kX11ScreenSaver);
  x.gnomeIdleMonitor = true;
  EXPECT_EQ(ChooseIdleSource(x), IdleSource::kGnomeIdleMonitor);
  EXPECT_EQ(ChooseIdleSource(SessionOffers{}), IdleSource::kNone);
}

TEST(IdleStart, StartsOnceAndAgainAFullIdleTimeAfterTheSaverEnded) {
  FakeStarterHost host;
  IdleStarter starter(host, kIdle);
  starter.OnIdle(1000);
  EXPECT_EQ(host.starts, 1);
  // No second saver while one runs, whatever the source says meanwhile.
  starter.OnIdle(2000);
  starter.OnTimer(3000);
  EXPECT_EQ(host.starts, 1);
  // Ended by input: the session is active again, nothing starts until idle.
  starter.OnActive(5000);
  starter.OnSaverEnded(5100, SaverEnd{});
  EXPECT_EQ(host.starts, 1);
  starter.OnIdle(65100);
  EXPECT_EQ(host.starts, 2);
  // Ended without input (the source stays idle): the next one a full idle
  // time after the end, by the timer.
  starter.OnSaverEnded(70000, SaverEnd{true, 15, false});
  EXPECT_EQ(host.starts, 2);
  EXPECT_EQ(host.wake, 70000 + kIdle);
  starter.OnTimer(70000 + kIdle);
  EXPECT_EQ(host.starts, 3);
  EXPECT_NE(host.said.find("ended by signal 15"), std::string::npos) << host.said;
  // A crash is reported and the starter goes on.
  starter.OnSaverEnded(200000, SaverEnd{true, 11, false});
  EXPECT_NE(host.said.find("crashed (signal 11)"), std::string::npos);
  starter.OnTimer(200000 + kIdle);
  EXPECT_EQ(host.starts, 4);
  // Stop asks the running saver to end and starts nothing more.
  EXPECT_TRUE(starter.Stop());
  EXPECT_EQ(host.stops, 1);
  starter.OnSaverEnded(300000, SaverEnd{true, 15, true});
  starter.OnTimer(400000);
  EXPECT_EQ(host.starts, 4);
  EXPECT_EQ(host.said.find("crashed (signal 15)"), std::string::npos);

  // A source that counts afresh (a new timeout while an inhibitor may be
  // held): after a saver, only its next idle report starts one.
  FakeStarterHost wayland;
  wayland.restarts = true;
  IdleStarter fresh(wayland, kIdle);
  fresh.OnIdle(0);
  fresh.OnSaverEnded(1000, SaverEnd{true, 15, false});
  fresh.OnTimer(1000 + kIdle);
  EXPECT_EQ(wayland.starts, 1);
  fresh.OnIdle(1000 + kIdle);
  EXPECT_EQ(wayland.starts, 2);
}

TEST(IdleStart, InhibitionsAndOtherSaversHoldItOffUntilAnIdleTimeAfterTheyEnd) {
  FakeStarterHost host;
  IdleStarter starter(host, kIdle);
  host.inhibited = true;
  starter.OnIdle(1000);
  EXPECT_EQ(host.starts, 0);
  EXPECT_EQ(host.wake, 1000 + IdleStarter::kRecheckMs);
  starter.OnTimer(3000);
  EXPECT_EQ(host.said, "idle, but not starting: a video plays\n");  // said once
  host.inhibited = false;
  host.elsewhere = true;
  starter.OnInhibitionChanged(4000);
  EXPECT_EQ(host.starts, 0);
  EXPECT_NE(host.said.find("another saver runs"), std::string::npos);
  host.elsewhere = false;
  starter.OnTimer(6000);
  EXPECT_EQ(host.starts, 0);
  EXPECT_EQ(host.wake, 6000 + kIdle);
  starter.OnTimer(6000 + kIdle);
  EXPECT_EQ(host.starts, 1);

  // A saver that cannot be started is tried again an idle time later.
  FakeStarterHost failing;
  failing.startWorks = false;
  IdleStarter again(failing, kIdle);
  again.OnIdle(0);
  EXPECT_FALSE(again.SaverRunning());
  EXPECT_EQ(failing.wake, kIdle);
}

TEST(IdleStart, PolledIdleTimeIsReadAtTheMomentItWouldBeReached) {
  EXPECT_EQ(NextIdlePollMs(0, kIdle, 2000), kIdle);
  EXPECT_EQ(NextIdlePollMs(59000, kIdle, 2000), 2000);
  EXPECT_EQ(NextIdlePollMs(70000, kIdle, 2000), 2000);
}

TEST(IdleStart, ScreenSaverInhibitionsBelongToTheirCaller) {
  ScreenSaverInhibitions inhibitions;
  const uint32_t video = inhibitions.Inhibit(":1.5", "player", "a video plays");
  const uint32_t talk = inhibitions.Inhibit(":1.7", "browser", "a call");
  EXPECT_NE(video, 0u);
  EXPECT_NE(video, talk);
  EXPECT_FALSE(inhibitions.UnInhibit(":1.7", video));  // not its own
  EXPECT_FALSE(inhibitions.UnInhibit(":1.5", 4711));
  EXPECT_TRUE(inhibitions.UnInhibit(":1.5", video));
  EXPECT_FALSE(inhibitions.UnInhibit(":1.5", video));  // once
  inhibitions.Inhibit(":1.7", "browser", "another tab");
  EXPECT_TRUE(inhibitions.Holds(":1.7"));
  EXPECT_EQ(inhibitions.Describe(), "browser: a call");
  EXPECT_EQ(inhibitions.CallerLeft(":1.7"), 2);
  EXPECT_FALSE(inhibitions.Any());
  EXPECT_EQ(inhibitions.CallerLeft(":1.7"), 0);
}

TEST(IdleStart, CommandLineAndSettingsSection) {
  const CommandLine line = ParseCommandLine({"--idle", "-idle-minutes", "3"});
  EXPECT_TRUE(line.error.empty()) << line.error;
  EXPECT_TRUE(line.idle);
  EXPECT_EQ(line.idleMinutes, 3);
  for (const char* bad : {"0", "721", "x", ""}) {
    EXPECT_FALSE(ParseCommandLine({"-idle", "-idle-minutes", bad}).error.empty()) << bad;
  }
  EXPECT_FALSE(ParseCommandLine({"-idle", "/s"}).error.empty());
  EXPECT_EQ(ParseCommandLine({"-idle", "-locker", "swaylock -f"}).locker, "swaylock -f");
  EXPECT_FALSE(ParseCommandLine({"-idle"}).locker);
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"-idle", "-locker", " "}, {"-idle", "-locker"}}) {
    EXPECT_NE(ParseCommandLine(bad).error.find("-locker needs"), std::string::npos);
  }

  // A new section; what the file held stays as it was, in its order.
  const std::string before = "[BASIC_PARAMETERS]\nSHAPE_SPEED=1.7\n[PATTERNS]\nPattern=3\n";
  IniFile file("/nonexistent/zelk_mirv.ini", before);
  IdleStartSection section;
  section.Read(file);
  EXPECT_FALSE(section.Enabled);
  EXPECT_EQ(section.Minutes, 10);
  section.Enabled = true;
  section.Minutes = 25;
  section.Write(file);
  EXPECT_EQ(file.Text().substr(0, before.size()), before);
  EXPECT_EQ(file.Text().find("Locker"), std::string::npos) << "no locker: no key";
  IdleStartSection back;
  back.Read(IniFile("/nonexistent/zelk_mirv.ini", file.Text()));
  EXPECT_TRUE(back.Enabled);
  EXPECT_EQ(back.Minutes, 25);
  EXPECT_EQ(back.Locker, "");
  // A locker the user wrote stays when the box stores the section again.
  IniFile locked("/x", "[IDLE_START]\nEnabled=1\nMinutes=5\nLocker= i3lock -c 000000 \n");
  back.Read(locked);
  EXPECT_EQ(back.Locker, "i3lock -c 000000");
  back.Minutes = 7;
  back.Write(locked);
  EXPECT_EQ(locked.Text().rfind("[IDLE_START]\nEnabled=1\nMinutes=7\nLocker=", 0), 0u);
  back.Read(IniFile("/x", locked.Text()));
  EXPECT_EQ(back.Locker, "i3lock -c 000000");
  back.Read(IniFile("/x", "[IDLE_START]\nMinutes=0\n"));
  EXPECT_EQ(back.Minutes, 10);
}

class FakeControl : public IdleStarterControl {
 public:
  bool Runs() override { return running; }
  bool Start() override {
    ++starts;
    running = true;
    return true;
  }
  void End() override {
    ++ends;
    running = false;
  }
  bool running = false;
  int starts = 0;
  int ends = 0;
};

TEST(IdleStart, TheBoxWritesTheEntryAndStartsOrEndsTheStarter) {
#ifdef _WIN32
  GTEST_SKIP() << "autostart entries are the Linux desktops'";
#endif
  testing::TempDirectory home;
  const std::string settings = home.File("zelk_mirv.ini");
  testing::WriteBytes(settings, "[PATTERNS]\nPattern=3\n");
  const std::string entry = AutostartEntryPath(nullptr, home.path().string().c_str());
  EXPECT_EQ(entry, home.Prefix() + ".config/autostart/zelk-mirv.desktop");
  FakeControl control;
  std::string error;
  ASSERT_TRUE(SwitchIdleStart(true, 15, settings, entry, control, error)) << error;
  EXPECT_TRUE(std::filesystem::is_regular_file(entry));
  EXPECT_EQ(control.starts, 1);
  IdleStartSection stored;
  stored.Load(settings);
  EXPECT_TRUE(stored.Enabled);
  EXPECT_EQ(stored.Minutes, 15);
  EXPECT_EQ(IniFile(settings).ReadInteger("PATTERNS", "Pattern", 0), 3);
  // The same minutes again: the running starter stays; others: started anew.
  ASSERT_TRUE(SwitchIdleStart(true, 15, settings, entry, control, error));
  EXPECT_EQ(control.starts, 1);
  ASSERT_TRUE(SwitchIdleStart(true, 20, settings, entry, control, error));
  EXPECT_EQ(control.ends, 1);
  EXPECT_EQ(control.starts, 2);
  ASSERT_TRUE(SwitchIdleStart(false, 20, settings, entry, control, error));
  EXPECT_FALSE(std::filesystem::exists(entry));
  EXPECT_FALSE(control.running);
  EXPECT_EQ(ParseIdleMinutes(" 7 "), 7);
  EXPECT_FALSE(ParseIdleMinutes("7 min"));
  EXPECT_EQ(AutostartEntryPath("relative", nullptr), "");
  EXPECT_NE(AutostartEntryText().find("\nExec=zelk-mirv -idle\n"), std::string::npos);

  // An autostart folder that cannot be made: said, and the starter still runs.
  testing::WriteBytes(home.File("blocker"), "");
  const std::string blocked = home.File("blocker") + "/autostart/zelk-mirv.desktop";
  FakeControl other;
  EXPECT_FALSE(SwitchIdleStart(true, 5, settings, blocked, other, error));
  EXPECT_NE(error.find("Unable to write to"), std::string::npos) << error;
  EXPECT_TRUE(other.running);
}

}  // namespace
}  // namespace zm
