// Benchmark of one whole minutes countdown on the real program: tolvane.exe
// under Wine, driven like the end-to-end tests, counts N = 2 minutes with the
// power-off action (the fake shutdown.exe logs the command), from the click on
// 按钮开始 to the first command at the 120th tick. It prints
//   - the program's processor time over that span, as a share of one core;
//   - the length of every tick, from the moments 标签5 changes its text;
//   - the program's peak working set.
// It judges nothing and is no ctest test; tools/bench-countdown.sh builds and
// runs it. Lines "@mark <name>" tell that script when the span begins and ends,
// so that it can add the Unix-side figures of the same span.
//
// Watching the label costs the program nothing: GetWindowTextW of another
// process's window reads the text that the window system keeps and sends the
// program no message. The program's processor time is the sum of its threads'
// times: Wine 8 does not answer GetProcessTimes of another process with that
// process's figures (both are printed, with this benchmark's own).
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/windows/countdown_support.h"

namespace {

using namespace driver;
using namespace countdown_support;

constexpr int Minutes = 2;
constexpr int Ticks = Minutes * 60;
// After a change of the label the next one is at least a paced second away;
// until then the label is looked at only now and then, after that every
// millisecond.
constexpr double QuietMs = 800;

std::wstring WindowText(HWND window) {
    wchar_t text[128] = {};
    int length = GetWindowTextW(window, text, 128);
    return std::wstring(text, length > 0 ? static_cast<size_t>(length) : 0);
}

void Mark(const char* name) {
    std::printf("@mark %s\n", name);
    std::fflush(stdout);
}

int Fail(const std::string& why) {
    std::printf("benchmark failed: %s\n", why.c_str());
    return 1;
}

struct Change {
    double atMs;
    std::wstring text;
};

} // namespace

int main() {
    App app;
    if (!app.Started()) return Fail("tolvane.exe did not start: " + ToUtf8(app.Error()));
    if (!ChooseRadio(app, 单选分钟) || !ChooseRadio(app, 单选关机)) return Fail("cannot check the radio buttons");
    if (!TypeInto(app, 编秒数框, std::to_wstring(Minutes))) return Fail("cannot type N");
    HWND label = app.Control(标签5);
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app.ProcessId());
    if (label == nullptr || process == nullptr) return Fail("cannot open the program");
    ThreadTimeTotal threads(app.ProcessId());

    std::printf("Minutes countdown, N = %d, power-off action, under Wine: from Start to the command at tick %d\n",
                Minutes, Ticks);
    std::wstring last = WindowText(label);
    Mark("countdown");
    const double threadCpuBefore = threads.Read();
    const double processCpuBefore = ProcessTimesSeconds(process);
    const double ownCpuBefore = ProcessTimesSeconds(GetCurrentProcess());
    const double began = NowMs();
    if (!ClickStartOfCountdown(app)) return Fail("按钮开始 did not become disabled");

    // The label's changes, with the moment each was seen.
    std::vector<Change> changes;
    const std::wstring targetText = L"剩余时间:0天0时0分0秒";
    const double deadline = began + Ticks * 1000.0 + 30000.0;
    double lastChange = began;
    double lastThreadRead = began;
    while (NowMs() < deadline && last != targetText) {
        const double now = NowMs();
        if (now - lastThreadRead >= 1000) {
            threads.Read(); // a thread that ends later keeps this reading
            lastThreadRead = now;
        }
        if (now - lastChange < QuietMs) {
            Sleep(50);
            continue;
        }
        std::wstring text = WindowText(label);
        if (text != last) {
            lastChange = NowMs();
            changes.push_back({lastChange, text});
            last = text;
            continue;
        }
        Sleep(1);
    }
    if (last != targetText) return Fail("the label never showed " + ToUtf8(targetText));
    const bool commanded = app.Log().WaitForRuns(1, 10000);
    const double ended = NowMs();
    const double threadCpu = threads.Read() - threadCpuBefore;
    const double processCpu = ProcessTimesSeconds(process) - processCpuBefore;
    const double ownCpu = ProcessTimesSeconds(GetCurrentProcess()) - ownCpuBefore;
    Mark("countdown");

    Footprint footprint;
    ReadFootprint(app.ProcessId(), &footprint);
    CloseHandle(process);

    const double spanS = (ended - began) / 1000.0;
    std::printf("span: %.2f s\n", spanS);
    std::printf("processor time of tolvane.exe (sum of its threads): %.0f ms = %.3f %% of one core (goal: below 1 %%)\n",
                threadCpu * 1000, 100 * threadCpu / spanS);
    std::printf("  GetProcessTimes of tolvane.exe gave %.0f ms; of this benchmark itself, %.0f ms\n",
                processCpu * 1000, ownCpu * 1000);

    // Tick k shows 120 - k seconds left.
    int unexpected = 0;
    for (size_t i = 0; i < changes.size(); ++i) {
        Remaining remaining;
        if (!ParseRemaining(changes[i].text, &remaining) || remaining.Total() != Ticks - static_cast<long long>(i) - 1) {
            if (++unexpected <= 5) {
                std::printf("  unexpected label at change %lu: %s\n", static_cast<unsigned long>(i + 1),
                            ToUtf8(changes[i].text).c_str());
            }
        }
    }
    std::printf("label changes: %lu (expected %d), %d not as expected\n", static_cast<unsigned long>(changes.size()),
                Ticks, unexpected);
    if (changes.size() >= 2) {
        // Tick lengths: from one change of the label to the next.
        std::vector<double> lengths;
        for (size_t i = 1; i < changes.size(); ++i) lengths.push_back(changes[i].atMs - changes[i - 1].atMs);
        double sum = 0;
        for (double length : lengths) sum += length;
        const double mean = sum / lengths.size();
        double squares = 0;
        for (double length : lengths) squares += (length - mean) * (length - mean);
        const auto extremes = std::minmax_element(lengths.begin(), lengths.end());
        std::printf("tick length, label change to label change (%lu ticks, each change seen within about 1 ms):\n",
                    static_cast<unsigned long>(lengths.size()));
        std::printf("  mean %.2f ms (%+.2f ms against 1000 ms), standard deviation %.2f ms, min %.1f ms, max %.1f ms\n",
                    mean, mean - 1000, std::sqrt(squares / lengths.size()), *extremes.first, *extremes.second);
        std::printf("  first change %.1f ms after the click on 按钮开始 (mouse move and click included); change %lu "
                    "%.2f s after it\n",
                    changes[0].atMs - began, static_cast<unsigned long>(changes.size()),
                    (changes.back().atMs - began) / 1000);
    }
    std::vector<ToolRun> runs = app.Log().Runs();
    std::printf("commands by the end of the span: %lu%s%s\n", static_cast<unsigned long>(runs.size()),
                commanded ? "" : " (none within 10 s of the last tick)",
                !runs.empty() ? (", first: " + ToUtf8(runs[0].commandLine) + " (" + ToUtf8(runs[0].show) + ")").c_str()
                              : "");
    std::printf("peak working set: %lu KB (working set now %lu KB, committed private %lu KB, handle table %ld)\n",
                static_cast<unsigned long>(footprint.peakWorkingSet / 1024),
                static_cast<unsigned long>(footprint.workingSet / 1024),
                static_cast<unsigned long>(footprint.committedPrivate / 1024), footprint.systemHandles);
    return 0;
}
