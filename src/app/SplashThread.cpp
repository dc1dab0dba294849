#include "SplashThread.h"

#include "../platform/Platform.h"
#include "../util/Strings.h"
#include "SplashWnd.h"

bool CSplashThread::CreateThread() {
    ISplashPort* port = PortOrNull<ISplashPort>();
    if (!port) return true;
    const SplashSpec desc = m_wnd->Spec(m_versionText);
    return port->Start(desc, m_wnd);
}

bool CSplashThread::ShowSplash(const std::string& buildLabel, std::weak_ptr<CSplashWnd>* shown) {
    auto wnd = std::make_shared<CSplashWnd>(IDB_SPLASH);
    if (shown) *shown = wnd;
    CSplashThread thread(wnd, buildLabel);
    if (thread.CreateThread()) return true;
    Port<IDialogPort>().ShowMessageBox(LoadResString(IDS_SPLASH_FAILED), LoadResString(IDS_APP_TITLE),
                                       MsgBox::Ok | MsgBox::IconError);
    return false;
}
