#pragma once

class Registry;

// While this object lives, reads through `registry` see each hive as the
// first read of it in the session found it, so that a batch of values (the
// settings record) comes from one version of the file even when another
// process replaces it meanwhile. The session's own writes are seen at once.
// Sessions may nest.
class RegistryReadSession {
public:
    explicit RegistryReadSession(const Registry& registry);
    ~RegistryReadSession();
    RegistryReadSession(const RegistryReadSession&) = delete;
    RegistryReadSession& operator=(const RegistryReadSession&) = delete;

private:
    const Registry& registry_;
};
