// The installer's identity: its signature, document type and version
// record, which every installer build carries in its resources.
#pragma once

#include <SupportDefs.h>

#define INSTALLER_SIGNATURE "application/x-vnd.Quorvane.Vondl"
#define INSTALLER_DOCUMENT_TYPE "text/x-vondl"

// The version of this installer as numbers (from "major.middle.minor").
void InstallerVersion(uint32& major, uint32& middle, uint32& minor);

// Writes the version record into the running program's file when it does
// not hold this version yet, so that an unchanged program is not rewritten
// at every start.
void UpdateOwnVersionRecord();
