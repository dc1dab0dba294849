#include "PosixDialogs.h"

#include <cstdio>
#include <map>

namespace {

class PosixDialogControls : public IDialogControls {
public:
    explicit PosixDialogControls(std::vector<std::pair<int, std::string>> texts) : m_texts(std::move(texts)) {}
    std::string GetItemText(int id) override {
        for (const auto& [i, t] : m_texts)
            if (i == id) return t;
        return std::string();
    }
    void SetItemText(int id, const std::string& text) override {
        for (auto& [i, t] : m_texts)
            if (i == id) t = text;
    }
    // Nobody changes a box here: it reads back as it was set.
    bool GetCheck(int id) override { return m_checks[id]; }
    void SetCheck(int id, bool checked) override { m_checks[id] = checked; }
    const std::vector<std::pair<int, std::string>>& Texts() const { return m_texts; }

private:
    std::vector<std::pair<int, std::string>> m_texts;
    std::map<int, bool> m_checks;
};

} // namespace

int CPosixDialogPort::ShowMessageBox(const std::string& text, const std::string& caption, unsigned) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
    return MsgBox::IdOk;
}

int CPosixDialogPort::RunDialog(const DialogDesc& dialog, const std::function<void(IDialogControls&)>& onInit) {
    PosixDialogControls controls(dialog.texts);
    if (onInit) onInit(controls);
    if (dialog.onEnd) dialog.onEnd(controls);
    for (const auto& [id, text] : controls.Texts()) {
        if (text.empty()) continue;
        if (dialog.caption.empty())
            std::fprintf(stderr, "%s\n", text.c_str());
        else
            std::fprintf(stderr, "%s: %s\n", dialog.caption.c_str(), text.c_str());
    }
    std::fflush(stderr);
    return MsgBox::IdOk;
}
