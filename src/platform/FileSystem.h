#pragma once

// The operating system's file calls, one virtual per call, so that tests can make any of them fail.
class FileSystem {
public:
    virtual ~FileSystem() = default;
};
