// The fixture of the countdown tests: a fresh simulated window, threads and
// command starter for each test, the two run-control globals cleared, and at the
// end the checks that hold for every run: no Text left unreleased, no call the
// window cannot answer, and no worker that went on after ending itself.
#pragma once
#include <gtest/gtest.h>
#include <iconv.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "app/window_description.h"
#include "commands/commands.h"
#include "countdown/run_control.h"
#include "tests/host/support/host_support.h"

// Converts between UTF-8 (the tests' literals) and code page 936 (the program's
// texts).
inline std::string Recode(const std::string& text, const char* to, const char* from) {
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) return "<no iconv " + std::string(from) + "->" + to + ">";
    std::string in = text;
    std::string out(text.size() * 4 + 4, '\0');
    char* inPointer = &in[0];
    size_t inLeft = in.size();
    char* outPointer = &out[0];
    size_t outLeft = out.size();
    const size_t result = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft);
    iconv_close(converter);
    if (result == static_cast<size_t>(-1)) return "<not convertible>";
    out.resize(out.size() - outLeft);
    return out;
}
inline std::string Gbk(const std::string& utf8) { return Recode(utf8, "GBK", "UTF-8"); }
inline std::string Utf8(const std::string& gbk) { return Recode(gbk, "UTF-8", "GBK"); }

// "剩余时间:" followed by `rest`, in code page 936.
inline std::string Remaining(const std::string& rest) { return Gbk("剩余时间:" + rest); }

class CountdownTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSimulation();
        liveTextsAtStart_ = HostLiveTexts();
    }

    // A fresh simulated window, thread registry and command record, the real
    // clock, and no run: the state each test, and each case of a table, starts
    // from.
    static void ResetSimulation() {
        SimResetWindow();
        SimResetThreads();
        SimResetCommands();
        SimSetClockReadHook(nullptr);
        RunFlag.store(0);
        WorkerHandle.store(0);
    }

    void TearDown() override {
        SimSetClockReadHook(nullptr);
        EXPECT_EQ(HostLiveTexts(), liveTextsAtStart_) << "Texts left unreleased";
        EXPECT_EQ(SimInvalidAccessCount(), 0) << (SimInvalidAccesses().empty() ? "" : SimInvalidAccesses()[0]);
        for (const SimWorkerInfo& worker : SimWorkers()) {
            EXPECT_EQ(worker.stepsAfterEnd, 0) << "a worker went on after ending itself";
            EXPECT_EQ(worker.gateLeftHeld, 0) << "a worker returned inside its step gate";
            if (worker.ran) {
                EXPECT_TRUE(worker.returned);
            }
        }
        SimResetThreads();
        SimResetWindow();
        SimResetCommands();
    }

    // The user picks the kind and the action and clicks Start.
    void StartWith(uint32_t kind, uint32_t action) {
        ASSERT_TRUE(SimClick(kind));
        ASSERT_TRUE(SimClick(action));
        ASSERT_TRUE(SimClick(按钮开始));
    }

    // The caption written into 标签5 on each tick of the worker (the tick's last write).
    static std::map<int64_t, std::string> LabelsByTick() {
        std::map<int64_t, std::string> labels;
        for (const SimLabelWrite& write : SimLabelHistory()) {
            if (write.worker != 0) labels[write.tick] = write.text;
        }
        return labels;
    }

    // Ticks on which `commandLine` was started.
    static std::vector<int64_t> CommandTicks(const char* commandLine) {
        std::vector<int64_t> ticks;
        for (const SimCommandRecord& command : SimCommands()) {
            if (command.commandLine == commandLine) ticks.push_back(command.tick);
        }
        return ticks;
    }

    // The worker's property calls on one tick, in order.
    static std::vector<SimPropertyAccess> WorkerAccessesOnTick(int64_t tick) {
        std::vector<SimPropertyAccess> accesses;
        for (const SimPropertyAccess& access : SimPropertyLog()) {
            if (access.worker != 0 && access.tick == tick) accesses.push_back(access);
        }
        return accesses;
    }

    // Worker reads of `unit` over the whole log.
    static int WorkerReadsOf(uint32_t unit) {
        int reads = 0;
        for (const SimPropertyAccess& access : SimPropertyLog()) {
            if (access.worker != 0 && !access.write && access.unit == unit) ++reads;
        }
        return reads;
    }

private:
    int64_t liveTextsAtStart_ = 0;
};
