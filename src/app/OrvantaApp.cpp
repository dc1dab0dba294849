#include "OrvantaApp.h"

#include <vector>

#include "../desktop/ActiveWallpaper.h"
#include "../platform/Platform.h"
#include "../settings/AboutDlg.h"
#include "../settings/AlreadyRunningDlg.h"
#include "../settings/Settings.h"
#include "../util/BuildStamp.h"
#include "DaemonCommand.h"
#include "../system/FileSystem.h"
#include "../util/Strings.h"
#include "../system/SystemInfo.h"
#include "MainFrame.h"
#include "OrvantaDoc.h"
#include "OrvantaView.h"
#include "SplashThread.h"

const COrvantaApp::Sibling COrvantaApp::kSiblings[4] = {
    {"CorvinelMutex", "Corvinel"},
    {"AFX_ORVANTA_H__CD85643D_0F25_4199_AAB6_8B100BBC599D__INCLUDED_", "Older Orvanta"},
    {"OrvantaLotusMutex", "Orvanta for Lotus"},
    {"OrvantaExchangeMutex", "Orvanta for Exchange"},
};

COrvantaApp::COrvantaApp() = default;

COrvantaApp::~COrvantaApp() { ExitInstance(); }

std::string COrvantaApp::MakeBuildLabel(const std::string& buildDate) {
    return MakeBuildStamp(buildDate) + "x64";
}

std::string COrvantaApp::ThisBuildLabel() { return MakeBuildLabel(__DATE__); }

bool COrvantaApp::InitInstance() {
    IDialogPort& dialogs = Port<IDialogPort>();
    const std::vector<std::string> names = {LoadResString(IDS_COMPANY), LoadResString(IDS_PRODUCT)};

    std::string appData = EFileSystem::SpecialFolderPath(SpecialFolder::AppData);
    if (appData.empty() || !EFileSystem::EnsureDirectoryChain(appData, names)) {
        dialogs.ShowMessageBox("Failed to initialize application, exiting.", LoadResString(IDS_APP_TITLE),
                               MsgBox::Ok);
        return false;
    }
    m_dataFolder = EFileSystem::Join(EFileSystem::Join(appData, names[0]), names[1]);

    m_buildLabel = ThisBuildLabel();
    m_registryRoot = CSettings::ProgramRegistryRoot();
    m_newerThanWin2000 = ESystemInfo::NewerThanWindows2000();
    Port<IWindowKit>().InitCommonControls();

    if (!CheckRunningInstances()) return false;

    m_ole.emplace(Port<IAutomationPort>());
    if (!m_ole->Started()) {
        dialogs.ShowMessageBox(LoadResString(IDS_OLE_INIT_FAILED), LoadResString(IDS_APP_TITLE),
                               MsgBox::Ok | MsgBox::IconError);
        return false;
    }

    m_settings = std::make_unique<CSettings>(m_registryRoot);
    m_settings->Open();
    // The splash runs on its own thread while this one connects and draws.
    if (m_settings->m_showSplash && !CSplashThread::ShowSplash(m_buildLabel, &m_splash)) return false;

    // The command line has no effect: the program always starts hidden in the tray.
    // The document (with its Outlook engine) comes first, then the main frame, then
    // the view; commands reach them in the order frame, view, document, application.
    // The document at once learns which picture is the user's own, before anything of
    // ours can become the wallpaper; it learns it again at every data load.
    m_wallpaper = std::make_unique<CActiveWallpaper>(*m_settings);
    m_document = std::make_unique<COrvantaDoc>(*m_settings);
    m_document->Composer().SetOutputPath(CComposer::BuildOutputPath());
    m_document->SetDataFolder(COrvantaDoc::UserDataFolder());
    m_document->m_sourcesFromSettings = true;
    m_document->m_beforeRead = [this] { return m_wallpaper->Capture(m_document->Composer().OutputPath()); };
    m_wallpaper->Capture(m_document->Composer().OutputPath());
    m_mainFrame = std::make_unique<CMainFrame>(*m_settings, *m_wallpaper);
    // The start-up information waits for the splash to go rather than cover it.
    m_mainFrame->m_splashShowing = [splash = m_splash] { return !splash.expired(); };
    if (!m_mainFrame->Create(LoadResString(IDS_APP_TITLE))) return false;
    // The hidden windows the desktop's and the pop-up's mouse messages reach; without
    // them the desktop is a picture only.
    m_document->CreateMappers();
    m_document->m_clock = [frame = m_mainFrame.get()] { return frame->m_clock(); };
    // Commands of the Linux command line ("orvanta refresh") reach the frame as the
    // tray's commands do.
    if (ICommandChannel* channel = PortOrNull<ICommandChannel>()) {
        std::string error;
        m_listening = channel->Listen(*m_mainFrame->Window(), CDaemonCommand::Commands(), error);
        if (!m_listening)
            dialogs.ShowMessageBox("Commands cannot reach this copy: " + error, LoadResString(IDS_APP_TITLE),
                                   MsgBox::Ok | MsgBox::IconError);
    }
    m_view = std::make_unique<COrvantaView>(*m_document, *m_mainFrame);
    m_mainFrame->AddCommandTarget([view = m_view.get()](int id) { return view->OnCommand(id); });
    m_mainFrame->AddCommandTarget([doc = m_document.get()](int id) { return doc->OnCommand(id); });
    m_mainFrame->AddCommandTarget([this](int id) { return OnCommand(id); });
    m_mainFrame->SetCaption(LoadResString(IDS_APP_TITLE));
    m_mainFrame->SetDocument(m_document.get());
    return true;
}

bool COrvantaApp::CheckRunningInstances() {
    IMutexPort& mutexes = Port<IMutexPort>();
    MutexOutcome outcome = MutexOutcome::Failed;
    m_ownMutex = mutexes.Create(kOwnMutex, outcome);
    if (outcome != MutexOutcome::Created) {
        // Only a mutex this process created is ours to hold. A lock that could not be
        // made at all is no running copy: the port has said why, and the start fails.
        m_ownMutex.reset();
        if (outcome == MutexOutcome::Failed)
            Port<IDialogPort>().ShowMessageBox(LoadResString(IDS_LOCK_FAILED), LoadResString(IDS_APP_TITLE),
                                               MsgBox::Ok | MsgBox::IconError);
        else
            Port<IDialogPort>().ShowMessageBox(LoadResString(IDS_ALREADY_ACTIVE),
                                               LoadResString(IDS_APP_TITLE), MsgBox::Ok);
        return false;
    }
    for (const auto& sibling : kSiblings) {
        std::unique_ptr<INamedMutex> m = mutexes.Create(sibling.mutexName, outcome);
        if (m && outcome == MutexOutcome::AlreadyExists) {
            m_siblingMutex = std::move(m);
            CAlreadyRunningDlg(sibling.productName).DoModal();
            return false;
        }
    }
    return true;
}

int COrvantaApp::Execute() {
    if (!InitInstance()) {
        ExitInstance();
        return 1;
    }
    int rc = Run();
    int exitRc = ExitInstance();
    return rc != 0 ? rc : exitRc;
}

int COrvantaApp::RestoreUserWallpaper() {
    MutexOutcome outcome = MutexOutcome::Failed;
    std::unique_ptr<INamedMutex> own = Port<IMutexPort>().Create(kOwnMutex, outcome);
    if (outcome != MutexOutcome::Created) return 1;
    IAutomationPort& ole = Port<IAutomationPort>();
    if (!ole.StartOle()) return 1;
    bool restored = false;
    {
        // The same steps as a start and an exit: learn which picture is the user's (never
        // our own output), then hand it to the system in the user's style.
        CSettings settings(CSettings::ProgramRegistryRoot());
        settings.Open();
        CActiveWallpaper wallpaper(settings);
        wallpaper.Capture(CComposer::BuildOutputPath());
        restored = wallpaper.Restore();
    }
    ole.StopOle();
    return restored ? 0 : 1;
}

int COrvantaApp::Run() { return Port<IWindowKit>().RunMessageLoop(); }

int COrvantaApp::ExitInstance() {
    if (m_listening) {
        PortOrNull<ICommandChannel>()->Close();
        m_listening = false;
    }
    // The frame saves the settings and removes the tray icon; then the document goes,
    // and with it our picture unless the user wants to keep it.
    m_view.reset();
    m_mainFrame.reset();
    const bool hadDocument = m_document != nullptr;
    m_document.reset();
    if (hadDocument && m_wallpaper && m_settings && !m_settings->m_keepOnExit) m_wallpaper->Restore();
    m_wallpaper.reset();
    m_settings.reset();
    m_ole.reset();
    m_siblingMutex.reset();
    m_ownMutex.reset();
    return 0;
}

void COrvantaApp::OnAppAbout() { CAboutDlg(m_buildLabel).DoModal(); }

bool COrvantaApp::OnCommand(int id) {
    if (id != ID_APP_ABOUT) return false;
    OnAppAbout();
    return true;
}
