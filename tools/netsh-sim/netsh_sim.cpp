// A stand-in for the system's `netsh wlan`, installed as the Wine prefix's own
// netsh.exe for tests and `make run`. It prints the Japanese (or English)
// listings that the real command prints, acts on connect and disconnect, and
// keeps its little world in a state folder so that tests can arrange scenarios
// and inspect what the program asked for. See README.md beside this file.

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// ---------------------------------------------------------------------------
// Small text helpers

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring_view trimBlanks(std::wstring_view s) {
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

wchar_t asciiLower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool equalsNoCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

std::string toCodePage(UINT cp, std::wstring_view s) {
    if (s.empty()) return {};
    int n = WideCharToMultiByte(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(cp, 0, s.data(), static_cast<int>(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string toUtf8(std::wstring_view s) { return toCodePage(CP_UTF8, s); }

std::wstring fromUtf8(std::string_view s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
    return out;
}

// Accepts an optional sign and decimal digits surrounded by blanks; anything
// else means "use the default", so a typo in a scenario never crashes a test run.
std::optional<long long> parseInteger(std::wstring_view s) {
    s = trimBlanks(s);
    bool negative = false;
    if (!s.empty() && (s.front() == L'-' || s.front() == L'+')) {
        negative = s.front() == L'-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.size() > 12) return std::nullopt;
    long long v = 0;
    for (wchar_t c : s) {
        if (c < L'0' || c > L'9') return std::nullopt;
        v = v * 10 + (c - L'0');
    }
    return negative ? -v : v;
}

// ---------------------------------------------------------------------------
// Files

std::wstring joinPath(const std::wstring& dir, std::wstring_view name) {
    std::wstring p = dir;
    if (!p.empty() && p.back() != L'\\' && p.back() != L'/') p += L'\\';
    p += name;
    return p;
}

std::wstring stateFolder() {
    DWORD n = GetEnvironmentVariableW(L"NETSH_SIM_DIR", nullptr, 0);
    if (n > 1) {
        std::wstring v(n, L'\0');
        DWORD got = GetEnvironmentVariableW(L"NETSH_SIM_DIR", v.data(), n);
        if (got > 0 && got < n) {
            v.resize(got);
            return v;
        }
    }
    return L"C:\\netsh-sim";
}

// Creates every missing level; a test may point the folder somewhere deep and fresh.
void ensureFolder(const std::wstring& dir) {
    for (size_t i = 0; i <= dir.size(); ++i) {
        if (i == dir.size() || dir[i] == L'\\' || dir[i] == L'/') {
            std::wstring part = dir.substr(0, i);
            if (part.empty() || part.back() == L':' || part == L"\\" || part == L"\\\\") continue;
            CreateDirectoryW(part.c_str(), nullptr);
        }
    }
}

std::optional<std::string> readWholeFile(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string data;
    char buf[16384];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) data.append(buf, got);
    CloseHandle(h);
    return data;
}

bool writeAll(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool writeWholeFile(const std::wstring& path, std::string_view bytes) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = writeAll(h, bytes);
    CloseHandle(h);
    return ok;
}

// All lines go out in one append so that lines of concurrent calls never
// interleave; the open is retried because another call may hold the file for
// a moment. Besides the state folder's journal, a copy records every start of
// itself in "<its own path>.calls.log" when that file exists, whatever state
// folder the caller chose: a script that must know whether one particular
// copy ran creates the file first.
void appendRecord(const std::wstring& path, const std::string& bytes) {
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE h = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            writeAll(h, bytes);
            CloseHandle(h);
            return;
        }
        Sleep(10);
    }
}

void appendJournal(const std::wstring& dir, std::wstring_view commandLine, std::wstring_view cwd) {
    std::wstring text = L"cmd=";
    text += commandLine;
    text += L"\r\ncwd=";
    text += cwd;
    // Which copy ran: a netsh planted beside the program must show up here.
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    text += L"\r\nexe=";
    text += self;
    text += L"\r\n";
    const std::string bytes = toUtf8(text);
    appendRecord(joinPath(dir, L"journal.log"), bytes);
    const std::wstring calls = std::wstring(self) + L".calls.log";
    if (GetFileAttributesW(calls.c_str()) != INVALID_FILE_ATTRIBUTES) appendRecord(calls, bytes);
}

// Serialises read-modify-write of state.ini between simulators running at the
// same time. The lock file vanishes with its handle, so a killed simulator
// cannot leave the folder locked.
class StateLock {
public:
    explicit StateLock(const std::wstring& dir) {
        const std::wstring path = joinPath(dir, L"state.lock");
        for (int attempt = 0; attempt < 1500; ++attempt) {
            handle_ = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
            if (handle_ != INVALID_HANDLE_VALUE) return;
            Sleep(10);
        }
        // After 15 s something is badly stuck; going on unlocked beats hanging a test.
    }
    ~StateLock() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// ---------------------------------------------------------------------------
// State

enum class Encoding { Ansi, Utf8, Utf8Bom, Utf16Le, Utf16Be };
enum class Newline { CrLf, Lf, Cr };
enum class Language { Ja, En };

struct State {
    std::vector<std::wstring> profiles;
    std::wstring connected;
    std::wstring interfaceName = L"Wi-Fi";
    int adapters = 1;
    long long delayShow = 0;
    long long delayConnect = 0;
    long long delayDisconnect = 0;
    Encoding encoding = Encoding::Ansi;
    Newline newline = Newline::CrLf;
    Language language = Language::Ja;
    bool serviceStopped = false;
    bool locationOff = false;
    std::optional<int> exitCode;
};

// One physical line of state.ini with its own line end, so that a rewrite
// gives back every untouched line byte for byte.
struct RawLine {
    std::string text;
    std::string end;
};

std::vector<RawLine> splitRawLines(std::string_view data) {
    std::vector<RawLine> lines;
    size_t start = 0;
    while (start < data.size()) {
        size_t i = start;
        while (i < data.size() && data[i] != '\r' && data[i] != '\n') ++i;
        RawLine line{std::string(data.substr(start, i - start)), {}};
        if (i < data.size()) {
            size_t endLen = (data[i] == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ? 2 : 1;
            line.end = std::string(data.substr(i, endLen));
            i += endLen;
        }
        lines.push_back(std::move(line));
        start = i;
    }
    return lines;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct KeyValue {
    std::wstring key;  // lower case, blanks trimmed
    std::wstring value;  // everything after the first '=', untouched
};

std::optional<KeyValue> parseKeyValue(std::string_view rawLine) {
    const std::wstring line = fromUtf8(rawLine);
    std::wstring_view v = trimBlanks(line);
    if (v.empty() || v.front() == L';') return std::nullopt;
    const size_t eq = line.find(L'=');
    if (eq == std::wstring::npos) return std::nullopt;
    KeyValue kv;
    for (wchar_t c : trimBlanks(std::wstring_view(line).substr(0, eq))) kv.key += asciiLower(c);
    kv.value = line.substr(eq + 1);
    return kv;
}

long long parseDelay(std::wstring_view v) {
    auto n = parseInteger(v);
    if (!n) return 0;
    if (*n == -1) return -1;
    return *n < 0 ? 0 : *n;
}

State parseState(std::string_view data) {
    if (data.substr(0, kUtf8Bom.size()) == kUtf8Bom) data.remove_prefix(kUtf8Bom.size());
    State st;
    for (const RawLine& raw : splitRawLines(data)) {
        auto kv = parseKeyValue(raw.text);
        if (!kv) continue;
        const std::wstring& k = kv->key;
        const std::wstring& val = kv->value;
        const std::wstring_view word = trimBlanks(val);
        if (k == L"profile") {
            st.profiles.push_back(val);
        } else if (k == L"connected") {
            st.connected = val;
        } else if (k == L"interface") {
            if (!word.empty()) st.interfaceName = std::wstring(word);
        } else if (k == L"adapters") {
            auto n = parseInteger(val);
            if (n && *n >= 0) st.adapters = static_cast<int>(*n > 64 ? 64 : *n);
        } else if (k == L"delay.show") {
            st.delayShow = parseDelay(val);
        } else if (k == L"delay.connect") {
            st.delayConnect = parseDelay(val);
        } else if (k == L"delay.disconnect") {
            st.delayDisconnect = parseDelay(val);
        } else if (k == L"encoding") {
            if (equalsNoCase(word, L"ansi")) st.encoding = Encoding::Ansi;
            else if (equalsNoCase(word, L"utf8")) st.encoding = Encoding::Utf8;
            else if (equalsNoCase(word, L"utf8bom")) st.encoding = Encoding::Utf8Bom;
            else if (equalsNoCase(word, L"utf16le")) st.encoding = Encoding::Utf16Le;
            else if (equalsNoCase(word, L"utf16be")) st.encoding = Encoding::Utf16Be;
        } else if (k == L"newline") {
            if (equalsNoCase(word, L"crlf")) st.newline = Newline::CrLf;
            else if (equalsNoCase(word, L"lf")) st.newline = Newline::Lf;
            else if (equalsNoCase(word, L"cr")) st.newline = Newline::Cr;
        } else if (k == L"language") {
            if (equalsNoCase(word, L"ja")) st.language = Language::Ja;
            else if (equalsNoCase(word, L"en")) st.language = Language::En;
        } else if (k == L"service") {
            st.serviceStopped = equalsNoCase(word, L"stopped");
        } else if (k == L"location") {
            st.locationOff = equalsNoCase(word, L"off");
        } else if (k == L"exit") {
            if (auto n = parseInteger(val)) st.exitCode = static_cast<int>(*n);
        }
    }
    return st;
}

std::wstring statePath(const std::wstring& dir) { return joinPath(dir, L"state.ini"); }

State loadState(const std::wstring& dir) {
    auto data = readWholeFile(statePath(dir));
    return data ? parseState(*data) : State{};
}

// Replaces the first `connected=` line (dropping any later ones, which would
// otherwise win on the next read) and keeps everything else as it was.
std::string withConnected(std::string_view data, std::wstring_view value) {
    std::string bom;
    if (data.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        bom = std::string(kUtf8Bom);
        data.remove_prefix(kUtf8Bom.size());
    }
    const std::string newLine = "connected=" + toUtf8(value);
    std::string out = bom;
    bool replaced = false;
    std::string lastEnd = "\r\n";
    bool lastHadEnd = true;
    for (const RawLine& raw : splitRawLines(data)) {
        auto kv = parseKeyValue(raw.text);
        if (kv && kv->key == L"connected") {
            if (replaced) continue;
            out += newLine;
            replaced = true;
        } else {
            out += raw.text;
        }
        out += raw.end;
        lastHadEnd = !raw.end.empty();
        if (lastHadEnd) lastEnd = raw.end;
    }
    if (!replaced) {
        if (!lastHadEnd) out += lastEnd;
        out += newLine;
        out += lastEnd;
    }
    return out;
}

// Call with the lock held. Goes through a side file and a rename so that a
// reader never sees a half-written state.
void saveConnected(const std::wstring& dir, std::wstring_view value) {
    const std::wstring path = statePath(dir);
    const std::string current = readWholeFile(path).value_or(std::string());
    const std::string updated = withConnected(current, value);
    const std::wstring side = joinPath(dir, L"state.ini.new");
    if (writeWholeFile(side, updated)) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            if (MoveFileExW(side.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return;
            Sleep(10);
        }
        DeleteFileW(side.c_str());
    }
    // Someone holds state.ini without letting it be replaced; overwrite in place instead.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (writeWholeFile(path, updated)) return;
        Sleep(10);
    }
}

// ---------------------------------------------------------------------------
// Output

std::string encodeOutput(std::wstring_view text, const State& st) {
    std::wstring t;
    t.reserve(text.size() + text.size() / 8);
    for (wchar_t c : text) {
        if (c != L'\n') {
            t += c;
        } else if (st.newline == Newline::CrLf) {
            t += L"\r\n";
        } else if (st.newline == Newline::Cr) {
            t += L'\r';
        } else {
            t += L'\n';
        }
    }
    switch (st.encoding) {
    case Encoding::Utf8:
        return toUtf8(t);
    case Encoding::Utf8Bom:
        return std::string(kUtf8Bom) + toUtf8(t);
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
        const bool big = st.encoding == Encoding::Utf16Be;
        std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
        for (wchar_t c : t) {
            const auto u = static_cast<uint16_t>(c);
            const char lo = static_cast<char>(u & 0xFF);
            const char hi = static_cast<char>(u >> 8);
            out += big ? hi : lo;
            out += big ? lo : hi;
        }
        return out;
    }
    case Encoding::Ansi:
    default:
        return toCodePage(CP_ACP, t);
    }
}

// Raw bytes only: console text functions would re-encode, and the point is to
// control exactly what lands in a redirected file.
void print(std::wstring_view text, const State& st) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
    writeAll(out, encodeOutput(text, st));
}

std::wstring adapterName(const State& st, int index) {
    return index == 0 ? st.interfaceName : st.interfaceName + L" " + std::to_wstring(index + 1);
}

std::wstring noInterfaceText(const State& st) {
    return st.language == Language::Ja ? L"システムにワイヤレス インターフェイスがありません。\n"
                                       : L"There is no wireless interface on the system.\n";
}

std::wstring profileListing(const State& st) {
    if (st.adapters == 0) return noInterfaceText(st);
    const bool ja = st.language == Language::Ja;
    std::wstring s;
    for (int i = 0; i < st.adapters; ++i) {
        s += L"\n";
        s += ja ? L"インターフェイス " + adapterName(st, i) + L" のプロファイル:\n"
                : L"Profiles on interface " + adapterName(st, i) + L":\n";
        s += L"\n";
        s += ja ? L"グループ ポリシー プロファイル (読み取り専用)\n" : L"Group policy profiles (read only)\n";
        s += L"---------------------------------\n";
        s += ja ? L"    <なし>\n" : L"    <None>\n";
        s += L"\n";
        s += ja ? L"ユーザー プロファイル\n" : L"User profiles\n";
        s += L"-------------\n";
        if (st.profiles.empty()) s += ja ? L"    <なし>\n" : L"    <None>\n";
        for (const std::wstring& p : st.profiles) {
            s += ja ? L"    すべてのユーザー プロファイル     : " : L"    All User Profile     : ";
            s += p;
            s += L"\n";
        }
        s += L"\n";
    }
    return s;
}

// The access point's address, made from the network's name so that each
// network has its own.
std::wstring bssidOf(const std::wstring& ssid) {
    unsigned hash = 2166136261u;
    for (wchar_t c : ssid) hash = (hash ^ static_cast<unsigned>(c)) * 16777619u;
    wchar_t text[32];
    swprintf(text, 32, L"a2:%02x:%02x:%02x:%02x:%02x", hash & 0xFF, (hash >> 8) & 0xFF, (hash >> 16) & 0xFF,
             (hash >> 24) & 0xFF, static_cast<unsigned>(ssid.size()) & 0xFF);
    return text;
}

std::wstring interfaceListing(const State& st) {
    if (st.adapters == 0) return noInterfaceText(st);
    const bool ja = st.language == Language::Ja;
    std::wstring s = L"\n";
    if (ja) {
        s += L"システムに " + std::to_wstring(st.adapters) + L" インターフェイスがあります:\n";
    } else if (st.adapters == 1) {
        s += L"There is 1 interface on the system:\n";
    } else {
        s += L"There are " + std::to_wstring(st.adapters) + L" interfaces on the system:\n";
    }
    s += L"\n";
    for (int i = 0; i < st.adapters; ++i) {
        wchar_t guid[64];
        wchar_t mac[32];
        swprintf(guid, 64, L"00000000-0000-0000-0000-%012X", static_cast<unsigned>(i + 1));
        swprintf(mac, 32, L"02:00:00:00:00:%02X", static_cast<unsigned>(i + 1));
        const bool isConnected = i == 0 && !st.connected.empty();
        if (ja) {
            s += L"    名前                   : " + adapterName(st, i) + L"\n";
            s += L"    説明                   : Simulated Wireless Adapter\n";
            s += L"    GUID                   : " + std::wstring(guid) + L"\n";
            s += L"    物理アドレス           : " + std::wstring(mac) + L"\n";
            s += isConnected ? L"    状態                   : 接続されました\n"
                             : L"    状態                   : 切断されました\n";
            if (isConnected) {
                s += L"    SSID                   : " + st.connected + L"\n";
                s += L"    BSSID                  : " + bssidOf(st.connected) + L"\n";
                s += L"    プロファイル           : " + st.connected + L"\n";
            }
        } else {
            s += L"    Name                   : " + adapterName(st, i) + L"\n";
            s += L"    Description            : Simulated Wireless Adapter\n";
            s += L"    GUID                   : " + std::wstring(guid) + L"\n";
            s += L"    Physical address       : " + std::wstring(mac) + L"\n";
            s += isConnected ? L"    State                  : connected\n"
                             : L"    State                  : disconnected\n";
            if (isConnected) {
                s += L"    SSID                   : " + st.connected + L"\n";
                s += L"    BSSID                  : " + bssidOf(st.connected) + L"\n";
                s += L"    Profile                : " + st.connected + L"\n";
            }
        }
        s += L"\n";
    }
    return s;
}

// What netsh prints instead of the interface listing since Windows 11 24H2
// when location access is off for desktop apps: a notice, worded in the
// display language, that names the settings page, and no state line.
std::wstring locationNotice(const State& st) {
    return st.language == Language::Ja
               ? L"ネットワーク シェル コマンドは、WLAN 情報にアクセスするには位置情報のアクセス許可が必要です。"
                 L"[プライバシーとセキュリティ] 設定の [位置情報] ページで位置情報サービスをオンにしてください。\n"
                 L"\n"
                 L"設定アプリの [位置情報] ページの URI は次のとおりです:\n"
                 L"ms-settings:privacy-location\n"
                 L"設定アプリの [位置情報] ページを開くには、Ctrl キーを押しながらリンクを選択するか、"
                 L"次のコマンドを実行します:\n"
                 L"start ms-settings:privacy-location\n"
                 L"\n"
               : L"Network shell commands need location permission to access WLAN information. Turn on Location "
                 L"services on the Location page in Privacy & security settings.\n"
                 L"\n"
                 L"Here is the URI for the Location page in the Settings app:\n"
                 L"ms-settings:privacy-location\n"
                 L"To open the Location page in the Settings app, hold down the Ctrl key and select the link, or "
                 L"run the following command:\n"
                 L"start ms-settings:privacy-location\n"
                 L"\n";
}

std::wstring usageText(const State& st) {
    return st.language == Language::Ja
               ? L"使用法 (シミュレーター): netsh wlan show profiles | show interfaces | connect name=<プロファイル> | disconnect\n"
               : L"Usage (simulator): netsh wlan show profiles | show interfaces | connect name=<profile> | disconnect\n";
}

// ---------------------------------------------------------------------------
// Command line

// The text after the program token, which may be a bare name or a quoted full
// path (a direct start passes "C:\windows\system32\netsh.exe").
std::wstring_view argumentsOf(std::wstring_view cl) {
    while (!cl.empty() && isBlank(cl.front())) cl.remove_prefix(1);
    if (!cl.empty() && cl.front() == L'"') {
        const size_t close = cl.find(L'"', 1);
        return close == std::wstring_view::npos ? std::wstring_view() : cl.substr(close + 1);
    }
    size_t i = 0;
    while (i < cl.size() && !isBlank(cl[i])) ++i;
    return cl.substr(i);
}

std::vector<std::wstring_view> wordsOf(std::wstring_view s) {
    std::vector<std::wstring_view> words;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && isBlank(s[i])) ++i;
        const size_t start = i;
        while (i < s.size() && !isBlank(s[i])) ++i;
        if (i > start) words.push_back(s.substr(start, i - start));
    }
    return words;
}

enum class Verb { ShowProfiles, ShowInterfaces, Connect, Disconnect, Unknown };

Verb verbOf(const std::vector<std::wstring_view>& w) {
    if (w.size() < 2 || !equalsNoCase(w[0], L"wlan")) return Verb::Unknown;
    if (w.size() == 3 && equalsNoCase(w[1], L"show")) {
        if (equalsNoCase(w[2], L"profile") || equalsNoCase(w[2], L"profiles")) return Verb::ShowProfiles;
        if (equalsNoCase(w[2], L"interface") || equalsNoCase(w[2], L"interfaces")) return Verb::ShowInterfaces;
    }
    if (w.size() >= 3 && equalsNoCase(w[1], L"connect") && w[2].size() >= 5 &&
        equalsNoCase(w[2].substr(0, 5), L"name="))
        return Verb::Connect;
    if (w.size() == 2 && equalsNoCase(w[1], L"disconnect")) return Verb::Disconnect;
    return Verb::Unknown;
}

// The requested name is what the first "name=" argument holds once the
// command line is split by the system's rules, exactly: `name="Home Wi-Fi"`
// asks for Home Wi-Fi, while `name= Home Wi-Fi` is an empty "name=" followed
// by two other arguments, and asks for no profile at all.
std::wstring requestedName(const std::wstring& commandLine) {
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count);
    if (!argv) return {};
    std::wstring name;
    for (int i = 1; i < count; ++i) {
        const std::wstring_view a = argv[i];
        if (a.size() >= 5 && equalsNoCase(a.substr(0, 5), L"name=")) {
            name = a.substr(5);
            break;
        }
    }
    LocalFree(argv);
    return name;
}

void pause(long long ms) {
    if (ms == -1) Sleep(INFINITE);
    else if (ms > 0) Sleep(static_cast<DWORD>(ms > 0x7FFFFFFF ? 0x7FFFFFFF : ms));
}

std::wstring currentDirectory() {
    DWORD n = GetCurrentDirectoryW(0, nullptr);
    if (n == 0) return {};
    std::wstring s(n, L'\0');
    DWORD got = GetCurrentDirectoryW(n, s.data());
    s.resize(got < n ? got : 0);
    return s;
}

int run() {
    const std::wstring commandLine = GetCommandLineW();
    const std::wstring dir = stateFolder();
    ensureFolder(dir);
    appendJournal(dir, commandLine, currentDirectory());

    const std::wstring_view args = argumentsOf(commandLine);
    const Verb verb = verbOf(wordsOf(args));

    State st;
    {
        StateLock lock(dir);
        st = loadState(dir);
    }
    auto exitWith = [&st](int natural) { return st.exitCode.value_or(natural); };
    // A stopped service answers every wlan command with the same message.
    if (st.serviceStopped && verb != Verb::Unknown) {
        print(st.language == Language::Ja ? L"ワイヤレス自動構成サービス (wlansvc) が実行されていません。\n"
                                          : L"The Wireless AutoConfig Service (wlansvc) is not running.\n",
              st);
        return exitWith(1);
    }

    switch (verb) {
    case Verb::ShowProfiles:
    case Verb::ShowInterfaces: {
        pause(st.delayShow);
        {
            StateLock lock(dir);  // the world may have changed while we slept
            st = loadState(dir);
        }
        if (verb == Verb::ShowInterfaces && st.locationOff) {
            print(locationNotice(st), st);
            return exitWith(1);
        }
        print(verb == Verb::ShowProfiles ? profileListing(st) : interfaceListing(st), st);
        return exitWith(0);
    }
    case Verb::Connect: {
        pause(st.delayConnect);
        const std::wstring wanted = requestedName(commandLine);
        bool found = false;
        {
            StateLock lock(dir);
            st = loadState(dir);
            for (const std::wstring& p : st.profiles) {
                if (p == wanted) {
                    saveConnected(dir, p);
                    st.connected = p;
                    found = true;
                    break;
                }
            }
        }
        const bool ja = st.language == Language::Ja;
        if (found) {
            print(ja ? L"接続要求は正常に完了しました。\n" : L"Connection request was completed successfully.\n", st);
            return exitWith(0);
        }
        print(ja ? L"ネットワーク上に \"" + wanted + L"\" に割り当てられたプロファイルがありません。\n"
                 : L"There is no profile \"" + wanted + L"\" assigned to the specified interface.\n",
              st);
        return exitWith(1);
    }
    case Verb::Disconnect: {
        pause(st.delayDisconnect);
        {
            StateLock lock(dir);
            saveConnected(dir, L"");
            st = loadState(dir);
        }
        print(st.language == Language::Ja
                  ? L"インターフェイス \"" + st.interfaceName + L"\" で切断要求が正常に完了しました。\n"
                  : L"Disconnection request was completed successfully for interface \"" + st.interfaceName + L"\".\n",
              st);
        return exitWith(0);
    }
    case Verb::Unknown:
    default:
        print(usageText(st), st);
        return exitWith(1);
    }
}

}  // namespace

int wmain() {
    try {
        return run();
    } catch (...) {
        return 99;
    }
}
