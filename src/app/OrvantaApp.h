#pragma once
// The application object: start-up in a fixed order, the single-instance guard
// against a second copy and the sibling programs, and the shutdown.
#include <memory>
#include <optional>
#include <string>

#include "OleSession.h"

class CActiveWallpaper;
class CMainFrame;
class COrvantaDoc;
class COrvantaView;
class CSettings;
class CSplashWnd;
class INamedMutex;

class COrvantaApp {
public:
    struct Sibling {
        const char* mutexName;
        const char* productName;
    };
    static constexpr const char* kOwnMutex = "OrvantaOutlookMutex";
    static const Sibling kSiblings[4];

    COrvantaApp();
    ~COrvantaApp();

    // Start-up, the message loop and shutdown: the process's exit code.
    int Execute();
    // The uninstaller's "/restore-wallpaper": puts the user's own wallpaper back as the
    // exit does (also when "KeepOnExit" left ours), then ends; 0 when it was handed to
    // the system. A running copy is left alone (its own exit restores): 1.
    static constexpr const char* kRestoreSwitch = "/restore-wallpaper";
    static int RestoreUserWallpaper();
    bool InitInstance();
    int Run();
    int ExitInstance();
    bool CheckRunningInstances();
    void OnAppAbout();
    // The application's commands: the about box. True when id is one of them.
    bool OnCommand(int id);

    std::string RegistryRoot() const { return m_registryRoot; }
    std::string DataFolder() const { return m_dataFolder; }
    std::string BuildLabel() const { return m_buildLabel; }
    bool NewerThanWindows2000() const { return m_newerThanWin2000; }
    CSettings* Settings() const { return m_settings.get(); }
    CMainFrame* MainFrame() const { return m_mainFrame.get(); }
    // The one document; null until the start-up has created it.
    COrvantaDoc* Document() const { return m_document.get(); }
    COrvantaView* View() const { return m_view.get(); }
    CActiveWallpaper* Wallpaper() const { return m_wallpaper.get(); }

    // "Nov  4 2008" gives "081104x64".
    static std::string MakeBuildLabel(const std::string& buildDate);
    // This program's build label (the day it was built), as the about box shows it.
    static std::string ThisBuildLabel();

private:
    std::unique_ptr<INamedMutex> m_ownMutex;
    std::unique_ptr<INamedMutex> m_siblingMutex; // held while the sibling dialog is up
    std::string m_registryRoot;
    std::string m_dataFolder;
    std::string m_buildLabel;
    bool m_newerThanWin2000 = false;
    // Before the settings, the document and the frame, which use Outlook through it;
    // stopped after them in ExitInstance.
    std::optional<COleSession> m_ole;
    bool m_listening = false;
    std::unique_ptr<CSettings> m_settings;
    std::weak_ptr<CSplashWnd> m_splash; // expired once the splash has gone
    std::unique_ptr<CActiveWallpaper> m_wallpaper;
    std::unique_ptr<COrvantaDoc> m_document;
    std::unique_ptr<CMainFrame> m_mainFrame;
    std::unique_ptr<COrvantaView> m_view;
};
