#include "DaemonCommand.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "../platform/Platform.h"
#include "../system/FileSystem.h"
#include "../util/Strings.h"
#include "../util/Utf8.h"

bool CDaemonCommand::Parse(const std::vector<std::string>& args, Request& request) {
    request = Request{};
    if (args.size() == 1) {
        const std::string& a = args[0];
        if (a == "refresh") request.id = ID_REFRESH;
        else if (a == "hide") request = {ID_HIDE_DATA, 1, "The data are hidden: the desktop shows the bare picture."};
        else if (a == "show") request = {ID_HIDE_DATA, 2, "The data are shown on the desktop again."};
        else if (a == "exit") request.id = ID_APP_EXIT;
        return request.id != 0;
    }
    if (args.size() == 2 && args[0] == "style") {
        if (args[1] == "blue") request.id = ID_STYLE_BLUE;
        else if (args[1] == "green") request.id = ID_STYLE_GREEN;
        else if (args[1] == "brown") request.id = ID_STYLE_BROWN;
        if (request.id != 0) request.done = "The style is now " + args[1] + ".";
    } else if (args.size() == 2 && args[0] == "presenting") {
        if (args[1] == "on")
            request = {ID_PRESENTING, 1, "Presenting: every subject is drawn as \"Busy\" until \"orvanta presenting off\"."};
        else if (args[1] == "off")
            request = {ID_PRESENTING, 2, "Presenting is off: the subjects are drawn again."};
    } else if (args.size() == 2 && args[0] == "new") {
        if (args[1] == "appointment") request.id = ID_NEW_APPOINTMENT;
        else if (args[1] == "task") request.id = ID_NEW_TASK;
        else if (args[1] == "mail") request.id = ID_NEW_MAIL;
    }
    return request.id != 0;
}

std::set<unsigned> CDaemonCommand::Commands() {
    return {ID_REFRESH,     ID_HIDE_DATA,       ID_APP_EXIT, ID_STYLE_BLUE, ID_STYLE_GREEN,
            ID_STYLE_BROWN, ID_NEW_APPOINTMENT, ID_NEW_TASK, ID_NEW_MAIL, ID_SETTINGS, ID_PRESENTING};
}

std::string CDaemonCommand::Refusal(const std::vector<std::string>& args) {
    if (args.size() == 1 && args[0] == "popup")
        return "the Linux program has no pop-up window; the desktop shows the data";
    // A command word with a value it does not take: the values it takes.
    static const struct {
        const char* command;
        const char* values;
    } kValues[] = {{"style", "blue, green or brown"}, {"new", "appointment, task or mail"}, {"presenting", "on or off"}};
    for (const auto& v : kValues) {
        if (args.empty() || args[0] != v.command) continue;
        const std::string takes = std::string(v.command) + " takes one value: " + v.values;
        return args.size() == 2 ? takes + ", not " + QuotedForDisplay(args[1]) : takes;
    }
    return std::string();
}

int CDaemonCommand::Send(const Request& request, std::ostream& out, std::ostream& err) {
    ICommandChannel* channel = PortOrNull<ICommandChannel>();
    std::string error = "this system has no command channel";
    if (channel && channel->Send(request.id, request.argument, error)) {
        if (!request.done.empty()) out << request.done << "\n";
        return 0;
    }
    err << "orvanta: " << error << "\n";
    return 1;
}

std::string CDaemonCommand::AutostartEntry(const std::string& programPath) {
    // The path is quoted as the desktop entry format asks (with its own escapes).
    std::string quoted;
    for (char c : programPath) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
        quoted += c;
    }
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" + LoadResString(IDS_PRODUCT) + "\n"
           "Comment=Draws the Outlook week into the desktop wallpaper\n"
           "Exec=\"" + quoted + "\" run\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

int CDaemonCommand::InstallAutostart(std::ostream& out, std::ostream& err) {
    const std::string program = EFileSystem::ProgramFilePath(false);
    if (program.empty()) {
        err << "orvanta: the program's own path cannot be found\n";
        return 1;
    }
    const char* config = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    std::filesystem::path dir;
    if (config && *config == '/') dir = config;
    else if (home && *home == '/') dir = std::filesystem::path(home) / ".config";
    else {
        err << "orvanta: neither XDG_CONFIG_HOME nor HOME names a folder\n";
        return 1;
    }
    dir /= "autostart";
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const std::filesystem::path file = dir / "orvanta.desktop";
    const std::filesystem::path temp = dir / "orvanta.desktop.tmp";
    {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        f << AutostartEntry(program);
        f.flush();
        if (!f) {
            err << "orvanta: " << temp.string() << " cannot be written\n";
            std::filesystem::remove(temp, ec);
            return 1;
        }
    }
    std::filesystem::rename(temp, file, ec);
    if (ec) {
        err << "orvanta: " << file.string() << " cannot be written (" << ec.message() << ")\n";
        std::filesystem::remove(temp, ec);
        return 1;
    }
    out << "Orvanta for Outlook starts at log-on: " << file.string() << "\n";
    return 0;
}
