// Puts every fake and the program's module-level values back to their state at program start.
#pragma once

#include <gtest/gtest.h>

#include "app/program_state.h"
#include "fake_clock.h"
#include "fake_locale.h"
#include "fake_log.h"
#include "fake_page_connection.h"
#include "fake_process.h"
#include "fake_registry.h"
#include "fake_service_pipe.h"
#include "fake_shell.h"
#include "fake_window.h"
#include "fake_worker.h"

namespace fake {

inline void ResetAll() {
    Log().clear();
    ResetClock();
    ResetInternet();
    ResetLocale();
    ResetProcess();
    ResetRegistry();
    ResetShell();
    ResetServicePipe();
    ResetWindow();
    ResetWorkers();
    chronalign::Program = {};
}

// A test fixture that starts every test from a fresh program on a fresh fake machine.
class FakePlatformTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetAll(); }
};

}  // namespace fake
