// Stands in for an outside program (ImageMagick, the JPEG encoder, Ghostscript) in tests. Copied
// into a tool folder under the program's name, it appends its call to "standin.log" there and does
// what files beside it say (see StandIn.h): print a text, write nothing or what it read, how many
// pages, wait for a gate file, end with a status or a signal, or hang with a child of its own.
#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace fs = std::filesystem;

namespace {
std::string ReadText(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The first argument that names an existing file, its frame suffix set aside: the program's
// input. Empty for none.
std::string InputFile(const std::vector<std::string>& args)
{
    for (std::string arg : args) {
        if (const std::size_t bracket = arg.rfind('['); bracket != std::string::npos)
            arg.erase(bracket);
        struct stat file = {};
        if (!arg.empty() && ::stat(arg.c_str(), &file) == 0 && S_ISREG(file.st_mode))
            return arg;
    }
    return {};
}

unsigned long long FileNumber(const std::string& path)
{
    struct stat file = {};
    return !path.empty() && ::stat(path.c_str(), &file) == 0 ? file.st_ino : 0;
}

// Fields end with a zero byte, which no argument can hold: name, folder, process, process group,
// input file number, count, arguments, count, environment entries ("NAME=value").
void Record(const fs::path& folder, const std::string& name, const std::vector<std::string>& args)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry)
        environment.emplace_back(*entry);
    std::ofstream log(folder / "standin.log", std::ios::binary | std::ios::app);
    log << name << '\0' << fs::current_path().string() << '\0' << getpid() << '\0' << getpgrp()
        << '\0' << FileNumber(InputFile(args)) << '\0' << args.size() << '\0';
    for (const std::string& arg : args)
        log << arg << '\0';
    log << environment.size() << '\0';
    for (const std::string& entry : environment)
        log << entry << '\0';
}

// As the real programs read an output name: "%%" is "%", "%d" and "%03d" the page number.
std::string ExpandName(const std::string& pattern, int page)
{
    std::string name;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '%' || i + 1 == pattern.size()) {
            name += pattern[i];
            continue;
        }
        if (pattern[i + 1] == '%') {
            name += '%';
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < pattern.size() && std::isdigit(static_cast<unsigned char>(pattern[end])))
            ++end;
        if (end == pattern.size() || pattern[end] != 'd') {
            name += pattern[i];
            continue;
        }
        const int width = end > i + 1 ? std::stoi(pattern.substr(i + 1, end - i - 1)) : 0;
        std::string number = std::to_string(page);
        if (static_cast<int>(number.size()) < width)
            number.insert(0, width - number.size(), '0');
        name += number;
        i = end;
    }
    return name;
}

bool HasPageNumber(const std::string& pattern)
{
    return ExpandName(pattern, 1) != ExpandName(pattern, 2);
}

void Write(const std::string& path, const std::string& content)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
    if (!file)
        std::fprintf(stderr, "standin: cannot write %s\n", path.c_str());
}

std::string ValueAfter(const std::vector<std::string>& args, const std::string& option)
{
    for (std::size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == option)
            return args[i + 1];
    }
    return {};
}

std::string ValueOfPrefix(const std::vector<std::string>& args, const std::string& prefix)
{
    for (const std::string& arg : args) {
        if (arg.rfind(prefix, 0) == 0)
            return arg.substr(prefix.size());
    }
    return {};
}

// "3" writes pages 1 to 3, "998-1001" pages 998 to 1001.
void WritePages(const fs::path& folder, const std::string& pattern)
{
    const std::string pages = ReadText(folder / "gs.pages");
    int first = 1;
    int last = 1;
    if (const std::size_t dash = pages.find('-'); dash != std::string::npos) {
        first = std::stoi(pages.substr(0, dash));
        last = std::stoi(pages.substr(dash + 1));
    } else if (!pages.empty()) {
        last = std::stoi(pages);
    }
    for (int page = first; page <= last; ++page) {
        const std::string name = ExpandName(pattern, page);
        Write(name, "written by gs as " + fs::path(name).filename().string() + "\n");
    }
}

void WriteOutput(const fs::path& folder, const std::string& name,
                 const std::vector<std::string>& args)
{
    if (name == "cjpeg") {
        if (args.empty() || !fs::exists(args.back()))
            std::fputs("standin: cannot read the bitmap\n", stderr);
        else
            Write(ValueAfter(args, "-outfile"), "written by cjpeg\n");
    } else if (name == "gs") {
        const std::string pattern = ValueOfPrefix(args, "-sOutputFile=");
        if (HasPageNumber(pattern))
            WritePages(folder, pattern);
        else
            Write(ExpandName(pattern, 1), "written by gs\n");
    } else if (!args.empty()) {
        std::string output = args.back();
        if (output.rfind("BMP3:", 0) == 0)
            output.erase(0, 5);
        // "<name>.copy": the output holds what the program read, which tells one from another.
        const std::string content = fs::exists(folder / (name + ".copy"))
                                        ? ReadText(InputFile(args))
                                        : "written by " + name + "\n";
        Write(ExpandName(output, 0), content);
    }
}

// Whether a call had an argument or an input file holding the text; every call holds "".
bool CallHolds(const std::vector<std::string>& args, const std::string& text)
{
    if (text.empty())
        return true;
    for (const std::string& arg : args) {
        if (arg.find(text) != std::string::npos)
            return true;
    }
    const std::string input = InputFile(args);
    return !input.empty() && ReadText(input).find(text) != std::string::npos;
}

// "<name>.nowrite" stops all writing when empty, else only calls with an argument or an input file
// holding its text.
bool WritesNothing(const fs::path& folder, const std::string& name,
                   const std::vector<std::string>& args)
{
    const fs::path rule = folder / (name + ".nowrite");
    return fs::exists(rule) && CallHolds(args, ReadText(rule));
}

// "<name>.gate" names a file to wait for, so that a test can hold a run in progress; with
// "<name>.gatewhen", only calls holding its text wait. A test that never opens the gate does not
// leave the program running for long.
void WaitForGate(const fs::path& folder, const std::string& name,
                 const std::vector<std::string>& args)
{
    const fs::path rule = folder / (name + ".gate");
    if (!fs::exists(rule) || !CallHolds(args, ReadText(folder / (name + ".gatewhen"))))
        return;
    const fs::path gate = ReadText(rule);
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!fs::exists(gate) && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}
} // namespace

// "<name>.hang": starts a child of its own, notes its number in "<name>.children", and both wait
// far longer than any test's time limit.
void Hang(const fs::path& folder, const std::string& name)
{
    if (!fs::exists(folder / (name + ".hang")))
        return;
    const pid_t child = fork();
    if (child > 0) {
        std::ofstream(folder / (name + ".children"), std::ios::app) << child << '\n';
    }
    std::this_thread::sleep_for(std::chrono::seconds(120));
    if (child == 0)
        _exit(0);
}

// "<name>.signal" holds a signal the program ends by, "<name>.exit" an exit status.
int End(const fs::path& folder, const std::string& name)
{
    const std::string signal = ReadText(folder / (name + ".signal"));
    if (!signal.empty()) {
        std::fflush(nullptr);
        std::signal(std::stoi(signal), SIG_DFL);
        std::raise(std::stoi(signal));
    }
    const std::string status = ReadText(folder / (name + ".exit"));
    return status.empty() ? 0 : std::stoi(status);
}

int main(int argc, char** argv)
{
    const fs::path self = fs::absolute(argv[0]);
    const fs::path folder = self.parent_path();
    const std::string name = self.stem().string();
    const std::vector<std::string> args(argv + 1, argv + argc);

    Record(folder, name, args);
    WaitForGate(folder, name, args);
    const std::string printed = ReadText(folder / (name + ".print"));
    std::fputs(printed.c_str(), stdout);
    if (!WritesNothing(folder, name, args))
        WriteOutput(folder, name, args);
    std::fflush(nullptr);
    Hang(folder, name);
    return End(folder, name);
}
