#pragma once

#include <QString>

// The record of one listed file. A plain value.
struct TFileInfo
{
    // The path exactly as it was handed in: never normalised, made absolute or case-folded.
    QString FileName;
    // The file name without its folder.
    QString Title;
    // The detected type name; never empty.
    QString Format;
    // The folder it was found under, as handed in, when it was found by walking one; empty for a
    // file handed in by itself.
    QString Root = {};
};
