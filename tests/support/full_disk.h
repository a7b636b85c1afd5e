// A full disk for this process while the object lives: every write to a regular file fails
// part-way, as on a disk that has run out of space (Linux: the file-size limit drops to 0 and
// its signal is ignored). Creating, renaming and removing files still work. Start no child
// process meanwhile: it would inherit the limit.
#pragma once

namespace testsupport {

class FullDisk {
public:
    FullDisk();
    ~FullDisk();
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    // False where the system offers no such limit (the test should then be skipped).
    bool active() const { return m_active; }

private:
    bool m_active = false;
    unsigned long long m_saved_soft = 0;
    unsigned long long m_saved_hard = 0;
};

} // namespace testsupport
