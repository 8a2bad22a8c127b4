// The copy of a program (the installer or the deinstaller) that a build
// carries: checked against the oldest C library builds start on, and
// without debug information or a full symbol table, which users never need
// and which made up most of a program's size. The program itself is never
// changed: when it carries debug information, a stripped copy is made in a
// private working folder (removed with the object) with the program's own
// resources put back after the stripped image. The debug information stays
// in the program the project built; the copy keeps its build id, so a crash
// of the copy is analysed with the original.
#pragma once

#include <string>

class PackedProgram {
public:
    PackedProgram() = default;
    ~PackedProgram();
    PackedProgram(const PackedProgram&) = delete;
    PackedProgram& operator=(const PackedProgram&) = delete;

    // label names the program in messages ("installer program"). Returns an
    // empty text on success, otherwise what is wrong; Path() then names the
    // file to pack: the program itself when nothing needed stripping (also
    // when it is no ELF program at all), else the stripped copy.
    // floorMinor: the oldest C library the build starts on is glibc
    // 2.floorMinor.
    std::string Prepare(const std::string& program, const std::string& label, int floorMinor);

    const std::string& Path() const { return fPath; }
    bool Stripped() const { return !fFolder.empty(); }

private:
    std::string _Strip(const std::string& program, const std::string& label, int programFd, unsigned mode);

    std::string fPath;
    std::string fFolder;
};
