// What a vendor says about the menu entry of one item, beyond what the
// installer learns from the program itself: categories, texts, a terminal,
// the window class, the working folder, further actions, its own icon and
// document types. The build tool checks it and stores it in the item's
// install_meta as the message "desktop_entry"; the installer reads it back
// when it writes the entry.
#pragma once

#include <SupportDefs.h>

#include <string>
#include <utility>
#include <vector>

class BMessage;

struct menu_entry_action {
    // The action's identifier: letters, digits and "-".
    std::string id;
    // What the menu shows.
    std::string name;
    // Passed to the program after its path.
    std::vector<std::string> arguments;
};

struct menu_document_type {
    std::string type;
    std::string comment;
    std::vector<std::string> globs;
    // (offset, bytes) that mark a file of the type.
    std::vector<std::pair<int32, std::string>> magic;
    // A PNG or SVG file's bytes; empty: no icon of its own.
    std::string icon;
};

struct menu_entry_options {
    std::vector<std::string> categories;
    std::string comment;
    std::string genericName;
    std::vector<std::string> keywords;
    bool terminal = false;
    std::string startupWMClass;
    // Relative to the installation folder, or absolute; empty: not set.
    std::string workingFolder;
    std::vector<menu_entry_action> actions;
    // A PNG (square, 16 to 512 pixels) or SVG file's bytes.
    std::string icon;
    std::vector<menu_document_type> documentTypes;
    // Make the program the default application of its document types.
    bool makeDefault = false;

    // Stores the options in message (as fields of their own).
    void AddTo(BMessage& message) const;
    // Reads what AddTo stored; missing fields keep their defaults.
    static menu_entry_options From(const BMessage& message);

    // Every problem of the options, each as "<field>: <text>" with the
    // field named as in the product description ("categories[1]"). Empty
    // when the options can be written as they are.
    std::vector<std::string> Problems() const;
};

// The kinds of icon a desktop icon theme takes.
enum class icon_format { kNone, kPng, kSvg };

// The format of an icon file's bytes; for a PNG also its size (square:
// width == height). kNone when the bytes are neither a PNG nor an SVG.
icon_format IconFormatOf(const std::string& bytes, int32* width = nullptr,
    int32* height = nullptr);

// The sizes of the icon theme's fixed-size folders a PNG icon may have.
bool IsIconThemeSize(int32 size);

// A main or additional category of the desktop menu, or a vendor's own
// ("X-" followed by something).
bool IsRegisteredCategory(const std::string& category);
bool IsMainCategory(const std::string& category);

// A desktop action's identifier: one or more of A-Za-z0-9 and "-".
bool IsValidActionId(const std::string& id);

// The desktop file id for a program's signature, in reverse-DNS form:
// "application/x-vnd.Skylark-Notes" becomes "vnd.Skylark-Notes" (the
// signature's "vnd." tree is the vendor's domain), "application/
// x-vnd.skylark.notes" "vnd.skylark.notes". Characters a desktop file id
// may not hold become "_", an element that starts with a digit gets a "_"
// before it. Empty when signature is not an application signature.
std::string ReverseDnsId(const std::string& signature);
