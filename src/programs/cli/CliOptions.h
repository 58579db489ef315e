#pragma once

#include "config/ConvertOptions.h"
#include "convert/ConvertTools.h"

#include <QString>
#include <QStringList>

#include <chrono>

enum class TCliAction
{
    Convert,
    ShowHelp,
    ShowVersion,
    ReportUsageError
};

// What the command line asks for. For help, version and usage errors Text is what to print.
struct TCliRequest
{
    TCliAction Action = TCliAction::ReportUsageError;
    QString Text;
    TConvertOptions Options;
    QStringList Paths;
    int Jobs = 1;
    // A program still running after this long is ended and its file fails.
    std::chrono::milliseconds TimeLimit = TConvertTools().TimeLimit;
};

// Reads "morvane-cli [options] FORMAT PATH..."; arguments[0] is the program itself. Needs a
// QCoreApplication for the program's name in the usage text.
TCliRequest ParseCliArguments(const QStringList& arguments);
