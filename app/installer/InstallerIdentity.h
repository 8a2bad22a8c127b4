// The installer's identity: its signature, document type and version
// record, which every installer build carries in its resources.
#pragma once

#include <SupportDefs.h>

#define INSTALLER_SIGNATURE "application/x-vnd.Quorvane.Vondl"
#define INSTALLER_DOCUMENT_TYPE "text/x-vondl"

// The version record's texts and variety (5: final release); its numbers
// are those of ONDELLE_VERSION, which the window's caption and --version
// show as well.
inline constexpr const char* kInstallerVersionShort = "Installer";
inline constexpr const char* kInstallerVersionLong = "V" ONDELLE_VERSION " Install BeOS applications";
inline constexpr uint32 kInstallerVariety = 5;

// The version of this installer as numbers (from "major.middle.minor").
void InstallerVersion(uint32& major, uint32& middle, uint32& minor);

// Writes the version record into the running program's file when it does
// not hold this version yet, so that an unchanged program is not rewritten
// at every start.
void UpdateOwnVersionRecord();
