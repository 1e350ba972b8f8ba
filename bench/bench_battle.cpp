// Battle frame cost on the reference device: mean and worst of frame move plus render over a
// scripted battle (summons, attacks until the enemy's monster and then its avatar are beaten),
// and of the whole frame step with the present, the cost of the reload frame that starts a new
// battle, and resident memory after the first and after the thousandth battle. Without arguments
// it runs itself at presentation scales 1 and 2 and compares their frame steps; "--scale N" runs
// one scale.
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <fstream>
#include <numeric>
#include <vector>

#include "tests/wholegame/game_harness.h"

namespace {

using Clock = std::chrono::steady_clock;
using harness::g_game;

constexpr int kBattles = 1000;

struct Bench {
  harness::AutoPlayer player;
  Clock::time_point frameStart;
  double cpuStart = 0;
  bool reloadThisFrame = false;
  int battles = 0;  // battles finished
  bool scripted = true;  // the first battle is played through the mouse; later ones are won at once
  std::vector<double> battleFrames, reloadFrames;  // milliseconds of wall time
  std::vector<double> battleCpu, reloadCpu;        // milliseconds of this thread's processor time
  std::vector<double> battleSteps;                 // from one frame move to the next: present included
  Clock::time_point lastStart;
  bool lastWasBattle = false;
  long residentAfterFirst = 0, residentAfterLast = 0;
  bool done = false;
};
Bench g_bench;

// Processor time of this thread: unlike wall time, it does not count other processes' turns.
double ThreadCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BeforeFrameMove(int frame) {
  Bench& b = g_bench;
  if (b.done) return;
  BattleState& state = g_game.scene.State();
  if (b.scripted) {
    b.player.Step(frame, state, g_game.scene.Elements());
  } else {
    state.enemyVitals.life = 0;  // this frame move loads the next battle
  }
  // The damage is booked at the click, so a beaten enemy is noticed by the next frame move,
  // which loads the next battle.
  b.reloadThisFrame = state.enemyVitals.life <= 0;
  b.cpuStart = ThreadCpuMs();
  b.frameStart = Clock::now();
  if (b.lastWasBattle) b.battleSteps.push_back(std::chrono::duration<double, std::milli>(b.frameStart - b.lastStart).count());
  b.lastStart = b.frameStart;
  b.lastWasBattle = b.scripted && !b.reloadThisFrame;
}

void AfterRender(int, plat::IDevice*) {
  Bench& b = g_bench;
  if (b.done) return;
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - b.frameStart).count();
  const double cpu = ThreadCpuMs() - b.cpuStart;
  if (b.reloadThisFrame) {
    b.reloadFrames.push_back(ms);
    b.reloadCpu.push_back(cpu);
    ++b.battles;
    if (b.battles == 1) b.residentAfterFirst = ResidentKiB();
    if (b.battles == kBattles) {
      b.residentAfterLast = ResidentKiB();
      b.done = true;
      harness::PostClose();
    }
    b.scripted = false;
  } else if (b.scripted) {
    b.battleFrames.push_back(ms);
    b.battleCpu.push_back(cpu);
  }
}

double Mean(const std::vector<double>& ms) {
  return ms.empty() ? 0.0 : std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(ms.size());
}

void Print(const char* what, const std::vector<double>& ms) {
  if (ms.empty()) {
    std::printf("%s: no frames\n", what);
    return;
  }
  const double mean = Mean(ms);
  std::vector<double> sorted = ms;
  std::sort(sorted.begin(), sorted.end());
  const double median = sorted[sorted.size() / 2];
  std::printf("%s: %zu frames, mean %.3f ms, median %.3f ms, worst %.3f ms\n", what, ms.size(), mean, median,
              sorted.back());
}

// Runs this program at one scale; its output is echoed, and the mean frame step returned (0 when
// it failed).
double RunAtScale(int scale) {
  // Read here: in the shell popen starts, /proc/self is the shell.
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string command = "'" + self + "' --scale " + std::to_string(scale);
  FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) return 0;
  double step = 0;
  char line[512];
  while (std::fgets(line, sizeof line, child) != nullptr) {
    std::fputs(line, stdout);
    std::sscanf(line, "frame step (move + render + present), scripted battle: %*d frames, mean %lf", &step);
  }
  const int status = pclose(child);
  // The framework's exit code after a run on the reference device is 11.
  return WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 11) ? step : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || std::strcmp(argv[1], "--scale") != 0) {
    const double one = RunAtScale(1);
    std::printf("\n");
    const double two = RunAtScale(2);
    if (one <= 0 || two <= 0) return 1;
    std::printf("\nframe step at scale 2: %.2f times scale 1 (target at most 2.5)\n", two / one);
    return 0;
  }
  const std::string scale = argv[2];
  if (chdir(ARENA_SOURCE_DIR) != 0) return 1;  // the game reads Data2/ from here
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  g_game.system.keep = false;
  g_game.beforeFrameMove = BeforeFrameMove;
  g_game.afterRender = AfterRender;
  // The headless display is 1024x768: a 512x384 window fits it at scale 2, so the scale is kept.
  if (!harness::Start({"bench_battle", "-constantframetime:0.05", "-noerrormsgboxes", "-forceref", "-scale:" + scale,
                       "-width:512", "-height:384"})) {
    std::fprintf(stderr, "bench_battle: no reference device\n");
    return 1;
  }
  // Sized up, the window takes the game's 640x480, and the back buffer follows.
  if (plat::IWindowSystem* windows = plat::GetServices().windows) windows->SetClientSize(AppGetHWND(), 640, 480);
  const int exitCode = harness::Run();
  const Bench& b = g_bench;
  if (const plat::SurfaceDesc* backBuffer = AppGetBackBufferSurfaceDesc())
    std::printf("back buffer at the end: %ux%u\n", backBuffer->Width, backBuffer->Height);
  std::printf("reference device, 640x480 at presentation scale %s, constant 0.05 s frames\n", scale.c_str());
  Print("battle frame (move + render), scripted battle", b.battleFrames);
  Print("  the same in processor time", b.battleCpu);
  Print("frame step (move + render + present), scripted battle", b.battleSteps);
  Print("reload frame (new battle)", b.reloadFrames);
  Print("  the same in processor time", b.reloadCpu);
  std::printf("battles: %d\n", b.battles);
  std::printf("resident memory after battle 1: %ld KiB, after battle %d: %ld KiB, growth %ld KiB\n",
              b.residentAfterFirst, kBattles, b.residentAfterLast, b.residentAfterLast - b.residentAfterFirst);
  std::printf("targets: battle frame < 1 ms, reload frame < 8 ms, growth within 2048 KiB\n");
  std::fflush(stdout);
  return exitCode;
}
