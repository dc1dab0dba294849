#include "CommandLine.h"

#include "Agenda.h"
#include "ComposeCommand.h"
#include "../DaemonCommand.h"
#include "HelpCommand.h"
#include "../OrvantaApp.h"
#include "../../settings/AboutDlg.h"
#include "RegionsCommand.h"
#include "SettingsCommand.h"
#include "SourcesCommand.h"
#include "../../util/Utf8.h"

void CCommandLine::Usage(std::ostream& out) {
    out << "Usage: orvanta [COMMAND]\n"
           "\n"
           "Draws the user's Outlook week into the desktop wallpaper.\n"
           "\n"
           "Commands:\n"
           "  run       start the program and keep it running until it is stopped\n"
           "            (SIGTERM, SIGINT or SIGHUP); the default without a command\n"
           "  agenda [--from YYYY-MM-DD] [--days N] [--source PATH|URL]...\n"
           "            read Outlook's data once and print the days, tasks, folders and\n"
           "            the change signature; --from the first day (default today),\n"
           "            --days how many (1-7), --source an .ics file or a folder of them,\n"
           "            read instead of Outlook and the configured sources (repeatable)\n"
           "  compose [--png FILE]\n"
           "            read once, compose the wallpaper and print where it is (and write\n"
           "            a PNG copy to FILE)\n"
           "  regions [--popup]\n"
           "            read once, compose, and print every spot a click opens: kind,\n"
           "            rectangle, tooltip and what the click does (--popup: the same for\n"
           "            the pop-up picture, in its own coordinates)\n"
           "  refresh, hide, show, exit\n"
           "  style blue|green|brown\n"
           "  new appointment|task|mail\n"
           "  presenting on|off\n"
           "            the tray menu's commands, sent to the running copy\n"
           "  settings  list every setting of the settings sheet: its value and what it\n"
           "            accepts\n"
           "  settings NAME VALUE\n"
           "            change one (NAME is its registry value name, e.g. \"Orvanta style\")\n"
           "            with the sheet's checks; saved, and the running copy takes it over\n"
           "            at once. A value out of range is refused (exit 1) and nothing changes\n"
           "  sources   list the calendar sources read beside Outlook\n"
           "  sources add PATH|URL\n"
           "            add an iCalendar file, a folder of them, a Maildir (a folder with\n"
           "            cur, new and tmp) or a feed (http, https or webcal address)\n"
           "  sources remove N\n"
           "            remove source N (as \"orvanta sources\" numbers them)\n"
           "  install-autostart\n"
           "            start the program at log-on (an XDG autostart entry)\n"
           "  help      open the user manual in the browser (without one, print its path)\n"
           "  --help, -h\n"
           "            print this text\n"
           "  --version\n"
           "            print the program's version and build, as its about box shows them\n"
           "\n"
           "Environment: ORVANTA_STORE names the Outlook store file; XDG_CONFIG_HOME and\n"
           "XDG_DATA_HOME move the settings and the data folder.\n";
}

int CCommandLine::Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || (args.size() == 1 && args[0] == "run")) return RunProgram();
    if (args.size() == 1 && args[0] == "help") return CHelpCommand::Run(out, err);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        Usage(out);
        return 0;
    }
    if (args.size() == 1 && args[0] == "--version") {
        out << CAboutDlg::VersionLine(COrvantaApp::ThisBuildLabel()) << "\n";
        return 0;
    }
    if (args[0] == "agenda") {
        CAgenda::Request request;
        std::string why;
        if (!CAgenda::Parse(std::vector<std::string>(args.begin() + 1, args.end()), request, why)) {
            err << "orvanta: agenda: " << why << "\n";
            return 2;
        }
        return CAgenda::Run(request, out, err);
    }
    if (args.size() == 1 && args[0] == "install-autostart") return CDaemonCommand::InstallAutostart(out, err);
    if (args[0] == "settings" && args.size() == 1) return CSettingsCommand::List(out);
    if (args[0] == "settings" && args.size() == 3) return CSettingsCommand::Set(args[1], args[2], out, err);
    if (args[0] == "sources" && args.size() == 1) return CSourcesCommand::List(out, err);
    if (args[0] == "sources" && args.size() == 3 && args[1] == "add") return CSourcesCommand::Add(args[2], out, err);
    if (args[0] == "sources" && args.size() == 3 && args[1] == "remove")
        return CSourcesCommand::Remove(args[2], out, err);
    CDaemonCommand::Request request;
    if (CDaemonCommand::Parse(args, request)) return CDaemonCommand::Send(request, out, err);
    if (const std::string refusal = CDaemonCommand::Refusal(args); !refusal.empty()) {
        err << "orvanta: " << refusal << "\n";
        return args[0] == "popup" ? 1 : 2; // a command this program lacks, or a value mistyped
    }
    if (!args.empty() && args[0] == "compose" && (args.size() == 1 || (args.size() == 3 && args[1] == "--png")))
        return CComposeCommand::Run(args.size() == 3 ? args[2] : std::string(), out, err);
    if (!args.empty() && args[0] == "regions" && (args.size() == 1 || (args.size() == 2 && args[1] == "--popup")))
        return CRegionsCommand::Run(args.size() == 2, out, err);
    err << "orvanta: unknown command " << QuotedForDisplay(args[0]) << (args.size() > 1 ? " or extra arguments" : "")
        << "\n\n";
    Usage(err);
    return 2;
}

int CCommandLine::RunProgram() { return COrvantaApp().Execute(); }
