// Each whole-program test gets a fresh folder with its own copy of the
// program (started with "/p", so its files stay there) and its own scenario
// for the simulated wireless service, and leaves the per-user data folder as
// it found it: absent.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "e2e/driver.h"
#include "support/netsh_sim.h"

namespace velnor::e2e {

class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static std::wstring OrvoFolder() { return AppDataFolder() + L"\\Orvo Project"; }
    static std::wstring UserDataFolder() { return OrvoFolder() + L"\\Velnor\\"; }

    // A file in the program's folder.
    std::wstring File(const std::wstring& name) const { return app + L"\\" + name; }
    std::wstring CommandLine(const std::wstring& args) const { return L"\"" + exe + L"\" " + args; }
    std::unique_ptr<Program> Start(const std::wstring& args = L"/p", int show = -1) const {
        return std::make_unique<Program>(exe, CommandLine(args), work, show);
    }

    // The simulator's journal in short: "show profile", "show interface",
    // "connect <name as listed>" for a connect that netsh receives as one
    // name="..." argument (the name with the space the listing puts in front
    // of it, as the program holds it), "disconnect".
    std::vector<std::wstring> Journal() const;
    // Waits until the journal holds at least `count` commands.
    bool WaitForJournal(size_t count, DWORD timeoutMs = kPatienceMs) const;

    // What a failing start or kill needs explained, for its message: the
    // command processes still running (cmd, netsh, conhost, the program), the
    // capture file, the journal's last command, and what the program's own
    // profile listing gives when the test runs it by hand now (cmd.exe's exit
    // code and everything it printed).
    std::string Evidence() const;

    std::wstring work, app, exe;
    std::unique_ptr<test::NetshSim> sim;
};

}  // namespace velnor::e2e
