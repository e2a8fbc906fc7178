// One test layer of the kit: its GoogleTest executable in a job object of its
// own, with a bound after which the whole tree it started is ended, and its
// progress read from its output while it runs.
#include <windows.h>

#include <fstream>
#include <iterator>

#include "kit/kit.h"
#include "support/shared_read.h"

namespace velnor::kit {
namespace {

// Shared with the layer, which is still writing.
std::string ReadAll(const fs::path& path) { return test::ReadShared(path.c_str()); }

// GoogleTest's own lines: "[==========] Running N tests", one "[       OK ]",
// "[  FAILED  ]" or "[  SKIPPED ]" per finished test, and after "tests ran"
// a repeat of the failed ones, which must not count twice.
Progress ReadProgress(const std::string& log) {
    Progress p;
    const std::string running = "[==========] Running ";
    if (const size_t at = log.find(running); at != std::string::npos)
        p.total = std::atoi(log.c_str() + at + running.size());
    const size_t end = log.find(" ran.");
    const std::string_view body = std::string_view(log).substr(0, end);
    for (size_t at = body.find("\n["); at != std::string_view::npos; at = body.find("\n[", at + 1)) {
        const std::string_view tag = body.substr(at + 1, 12);
        if (tag == "[       OK ]" || tag == "[  SKIPPED ]") ++p.done;
        if (tag == "[  FAILED  ]") ++p.done, ++p.failed;
    }
    return p;
}

class Handle {
public:
    explicit Handle(HANDLE h = nullptr) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    ~Handle() {
        if (h_) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    HANDLE h_;
};

std::wstring ImageName(DWORD pid) {
    Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (!process || !QueryFullProcessImageNameW(process.get(), 0, path, &size)) return L"process " + std::to_wstring(pid);
    const std::wstring full(path, size);
    return full.substr(full.find_last_of(L'\\') + 1);
}

// The programs still running in the job, by name.
std::wstring ProcessesIn(HANDLE job) {
    struct {
        JOBOBJECT_BASIC_PROCESS_ID_LIST list;
        ULONG_PTR more[255];
    } ids{};
    ids.list.NumberOfAssignedProcesses = 256;
    if (!QueryInformationJobObject(job, JobObjectBasicProcessIdList, &ids, sizeof(ids), nullptr)) return L"?";
    std::wstring names;
    for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList && i < 256; ++i)
        names += (names.empty() ? L"" : L", ") + ImageName(static_cast<DWORD>(ids.list.ProcessIdList[i]));
    return names;
}

DWORD ActiveProcesses(HANDLE job) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &info, sizeof(info), nullptr)) return 0;
    return info.ActiveProcesses;
}

std::wstring Seconds(DWORD ms) { return std::to_wstring((ms + 500) / 1000) + L" s"; }

}  // namespace

LayerRun RunLayer(const Layer& layer, const fs::path& bin, const fs::path& report,
                  const std::function<void(const Progress&)>& progress) {
    LayerRun run{layer.name, {}, {}};
    const fs::path exe = bin / layer.exe;
    const fs::path xml = report / (layer.name + L".xml");
    const fs::path log = report / (layer.name + L".log");
    std::wstring commandLine = L"\"" + exe.wstring() + L"\" \"--gtest_output=xml:" + xml.wstring() + L"\"";
    if (!layer.arguments.empty()) commandLine += L" " + layer.arguments;

    SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
    Handle output(CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                              0, nullptr));
    // Every program the layer starts stays in this job, so that a layer that
    // hangs is ended with all it started, and nothing outlives the kit.
    Handle job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!job || !SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits))) {
        run.problem = L"could not make a job object (error " + std::to_wstring(GetLastError()) + L")";
        return run;
    }
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = output.get();
    si.hStdError = output.get();
    PROCESS_INFORMATION pi{};
    const std::wstring directory = report.wstring();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                        directory.c_str(), &si, &pi)) {
        run.problem = L"could not start " + exe.wstring() + L" (error " + std::to_wstring(GetLastError()) + L")";
        return run;
    }
    Handle process(pi.hProcess), thread(pi.hThread);
    if (!AssignProcessToJobObject(job.get(), process.get())) {
        const DWORD error = GetLastError();
        TerminateProcess(process.get(), 99);
        run.problem = L"could not put " + layer.exe + L" into a job object (error " + std::to_wstring(error) + L")";
        return run;
    }
    ResumeThread(thread.get());

    const ULONGLONG start = GetTickCount64();
    Progress shown;
    bool ended = false;
    while (!ended) {
        ended = WaitForSingleObject(process.get(), 500) == WAIT_OBJECT_0;
        const Progress now = ReadProgress(ReadAll(log));
        if (progress && (now.done != shown.done || now.total != shown.total)) progress(now);
        shown = now;
        if (!ended && GetTickCount64() - start > layer.boundMs) {
            const DWORD running = ActiveProcesses(job.get());
            const std::wstring names = ProcessesIn(job.get());
            TerminateJobObject(job.get(), 99);
            // Ended only when every process of the tree has gone.
            for (int i = 0; i < 100 && ActiveProcesses(job.get()) > 0; ++i) Sleep(100);
            const DWORD left = ActiveProcesses(job.get());
            run.problem = L"did not end within " + Seconds(layer.boundMs) + L" and was ended with the " +
                          std::to_wstring(running) + L" programs of its tree (named by the system: " + names + L")" +
                          (left ? L"; " + std::to_wstring(left) + L" of them still run" : L"");
            break;
        }
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    run.tests = ReadJUnit(ReadAll(xml));
    bool anyFailed = false;
    for (const auto& t : run.tests) anyFailed = anyFailed || t.outcome == Outcome::Failed;
    if (run.problem.empty() && run.tests.empty())
        run.problem = L"wrote no results (" + xml.filename().wstring() + L"); see " + log.filename().wstring();
    else if (run.problem.empty() && code != 0 && !anyFailed)
        run.problem = L"ended with exit code " + std::to_wstring(code) + L" without a failed test; see " +
                      log.filename().wstring();
    return run;
}

}  // namespace velnor::kit
