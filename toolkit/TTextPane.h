// The text pane: shows a file's text, produced by a conversion chosen by
// the file's extension from a class-wide registry, or the file's bytes as
// plain text when no conversion is registered for the extension.
#pragma once

#include "rtl/Classes.h"

#include <QPlainTextEdit>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace toolkit {

// Turns a file's bytes into text for the pane.
class TConversion {
public:
    virtual ~TConversion() = default;

    // Places up to size characters of the next text into buffer and returns
    // how many; 0 when there is no more text. The pane calls it until then.
    virtual int ReadConverted(rtl::TStream &stream, char *buffer, int size) = 0;

    // A conversion that can produce any line of its text straight from the
    // file says so here; the pane then formats only the lines it shows.
    virtual bool HasLineAccess() const { return false; }
    virtual std::uint64_t LineCount(std::uint64_t /*fileSize*/) const { return 0; }
    // Line index of the text, CR LF included.
    virtual std::string LineAt(rtl::TStream & /*stream*/, std::uint64_t /*index*/) { return {}; }
};

// What the registry holds: a way to make a fresh conversion for each load.
using TConversionClass = std::function<std::unique_ptr<TConversion>()>;

class TTextPane : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit TTextPane(QWidget *parent = nullptr);

    // Adds an entry for ext (stored lower-case, without a dot). The newest
    // registration of an extension wins.
    static void RegisterExtension(const QString &ext, TConversionClass conversion);
    // The conversion registered for a file name's extension, or none.
    static TConversionClass ConversionFor(const QString &fileName);
    // Forgets every registration (tests).
    static void ClearRegistry();

    // Replaces the pane's text with fileName's converted text. A file that
    // cannot be opened: rtl::EFOpenError "Cannot open file NAME".
    void LoadFromFile(const QString &fileName);

    // The pane's whole text, exactly as the conversion produced it.
    std::string Text() const;
};

} // namespace toolkit
