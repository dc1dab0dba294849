#pragma once
// The notification-area icon on Windows.
//
// Implements: Shell_NotifyIconW add, modify and delete with a NOTIFYICONDATAW record
//   (flags message, icon and tip); icons from the program's resources (LoadImageW at
//   the small-icon size) or from an icon library by index (ExtractIconW).
// Does not implement: balloons (the program shows none).
#include <memory>
#include <string>

#include "../TrayPort.h"

class CWin32TrayPort : public ITrayPort {
public:
    CWin32TrayPort();
    ~CWin32TrayPort() override;
    void Prepare(IWindow& owner, unsigned callbackMsg, unsigned id, const std::string& tip,
                 int iconResource) override;
    bool Add() override;
    bool SetIconResource(int iconResource, bool show) override;
    bool SetIconFromLibrary(const std::string& library, int index, bool show) override;
    void Remove() override;

    // What the icon shows now, for tests: the resource number, or -1 - index for an
    // icon of a library.
    int CurrentPicture() const { return m_picture; }

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    int m_picture = 0;
};
