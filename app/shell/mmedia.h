#pragma once
// The wave preview player: method calls become multimedia command strings for
// one open media file at a time. Outcomes of the commands are never examined.

#include "platform/filesystem.h"
#include "platform/services.h"

#include <string>

namespace tf {

class Mmedia {
  public:
    // With a file system, a path the ANSI code page cannot spell is opened by
    // its short form, as the conversion library gets it: the multimedia
    // devices do not all take such names, even through the wide call.
    Mmedia(MciApi &mci, Clock &clock, FileSystem *fs = nullptr)
        : mci_(mci), clock_(clock), fs_(fs) {}

    void mmOpen(const std::string &sTheFile);
    void mmClose();
    void mmPause();
    void mmPlay();
    void mmStop();
    void mmSeek(float nPosition);

    std::string Filename() const { return file_name_; }
    void Filename(const std::string &sTheFile) { mmOpen(sTheFile); }
    bool Wait() const { return wait_; }
    void Wait(bool bWaitValue) { wait_ = bWaitValue; }
    float Length();
    float Position();
    void Position(float nPosition) { mmSeek(nPosition); }
    std::string Status();
    const std::string &alias() const { return alias_; }

  private:
    std::string Query(const std::string &what);
    void Send(const std::string &command);

    std::string DevicePath(const std::string &path);

    MciApi &mci_;
    Clock &clock_;
    FileSystem *fs_;
    std::string alias_;
    std::string file_name_;
    bool wait_ = false;
};

} // namespace tf
