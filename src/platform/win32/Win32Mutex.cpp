#include "Win32Mutex.h"

#include <windows.h>

#include "ScopedWin.h"
#include "Utf.h"
#include "Win32Log.h"

namespace {

class Win32Mutex : public INamedMutex {
public:
    Win32Mutex(HANDLE h, bool owner) : m_handle(h), m_owner(owner) {}
    ~Win32Mutex() override {
        if (m_owner) LogIfFalse(ReleaseMutex(m_handle.Get()), "ReleaseMutex");
    }

private:
    ScopedKernelHandle m_handle;
    bool m_owner;
};

} // namespace

std::unique_ptr<INamedMutex> CWin32MutexPort::Create(const std::string& name, MutexOutcome& outcome) {
    SetLastError(ERROR_SUCCESS);
    HANDLE h = CreateMutexW(nullptr, TRUE, Widen(name).c_str());
    DWORD error = GetLastError();
    if (!h) {
        // A mutex of that name made by a process with other rights (another user's
        // copy, or one started elevated) is refused to us: it is still a running copy.
        outcome = error == ERROR_ACCESS_DENIED ? MutexOutcome::AlreadyExists : MutexOutcome::Failed;
        return nullptr;
    }
    // An existing mutex is opened, not owned: the initial-owner request is ignored then.
    outcome = error == ERROR_ALREADY_EXISTS ? MutexOutcome::AlreadyExists : MutexOutcome::Created;
    return std::make_unique<Win32Mutex>(h, outcome == MutexOutcome::Created);
}
