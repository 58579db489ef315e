#pragma once

#include "base/Result.h"

#include <QString>

#include <optional>

// How outputs are named: after their source's stem with the target's extension in lower case,
// numbered "a (1).png", "a (2).png", ... past names that are taken, and a document's pages after
// the document with their three-digit number, "a-001.png". Pure text functions but for the claim;
// any thread.

// The file name without its folder and without its last extension ("a.b.pdf" gives "a.b"); a
// name without a "." is its own stem.
QString FileStem(const QString& path);

// The stem that numbered copies share: "a (1) (2)" and "a" compete for the same names.
QString StemWithoutCopyNumbers(const QString& stem);

// What names the outputs of one page of a document: a file beside the document, named after its
// stem and the page's number as Ghostscript wrote it ("001"), of a type that names nothing else.
QString PageNamingSource(const QString& document, const QString& pageDigits);

// The document stem that a page's stem names ("a" for "a-001"); none for a stem not of that shape.
std::optional<QString> DocumentStemOfPage(const QString& stem);

// The output path for a source: in outputFolder (empty: the source's own folder), named after the
// source's stem with the extension in lower case, numbered past existing files. Creates nothing.
QString GetOutputFileName(const QString& namingSource, const QString& extension,
                          const QString& outputFolder);

// Gives the whole file `file` the name GetOutputFileName gives, in one step and never replacing
// anything: a name taken by anything, even meanwhile, passes to the next number, so the output
// appears under its name whole or not at all. From another file system the file is first copied
// into a hidden work folder in the output folder (".morvane-part-" and six characters); such a
// folder that a killed run left is removed here too. The name given, or why none could be.
TResult<QString> ClaimOutputFile(const QString& file, const QString& namingSource,
                                 const QString& extension, const QString& outputFolder);
