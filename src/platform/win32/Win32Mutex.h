#pragma once
// Named mutexes (CreateMutexW), visible to every process of the session.
//
// Implements: create-and-own; "already exists" from ERROR_ALREADY_EXISTS, with the
//   handle still returned; release and close on destruction.
// Does not implement: waiting for a mutex held elsewhere.
#include "../MutexPort.h"

class CWin32MutexPort : public IMutexPort {
public:
    std::unique_ptr<INamedMutex> Create(const std::string& name, MutexOutcome& outcome) override;
};
