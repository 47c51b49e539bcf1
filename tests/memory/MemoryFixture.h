#pragma once

#include "tests/support/MessageBoxRecorder.h"
#include "tests/support/WorkingFolder.h"

#include <QStringList>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>

// The program's windows over the fake memory library, in a working folder of their own. The wait of
// an optimization run costs no real time: each of its sleeps only counts and runs `WhileWaiting`.
class MemoryFixture : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void SetReadings(int64_t freePhys, int64_t allPhys, int64_t freePag = 0, int64_t allPag = 0,
                     int64_t freeVirt = 0, int64_t allVirt = 0);
    void SetFreedByRun(int64_t bytes);
    // The library calls since the last look, oldest first.
    QStringList TakeCalls();
    // One memory tick, as the timer runs it.
    void Tick();
    // Makes the memory timer expire now, as its second running out would; its tick runs at the next
    // turn of a message loop.
    void ExpireMemoryTimer();

    WorkingFolder folder;
    MessageBoxRecorder boxes;
    int sleeps = 0;
    std::function<void(int sleep)> WhileWaiting;

private:
    void* library_ = nullptr;
    void (*setReadings_)(int64_t, int64_t, int64_t, int64_t, int64_t, int64_t) = nullptr;
    void (*setFreedByRun_)(int64_t) = nullptr;
    const char* (*calls_)() = nullptr;
    void (*clearCalls_)() = nullptr;
};

constexpr int64_t MiB = 1048576;
