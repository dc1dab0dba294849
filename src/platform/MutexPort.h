#pragma once
// Named mutexes that tell processes of one user apart: the single-instance guard
// and the sibling programs' guards.
#include <memory>
#include <string>

enum class MutexOutcome { Created, AlreadyExists, Failed };

// Closing the handle (destroying the object) releases the name if this process held it.
class INamedMutex {
public:
    virtual ~INamedMutex() = default;
};

class IMutexPort {
public:
    virtual ~IMutexPort() = default;
    // Creates the named mutex owned by the caller. When another process holds it the
    // outcome is AlreadyExists and the handle is still returned (the caller decides
    // whether to keep it), or null when the existing mutex is closed to this process.
    // Failed means no mutex could be made at all (no lock folder, no rights): no other
    // copy is known to run, and the result is null.
    virtual std::unique_ptr<INamedMutex> Create(const std::string& name, MutexOutcome& outcome) = 0;
};
