#include "TTextPane.h"

#include <QFileInfo>
#include <vector>

namespace toolkit {

namespace {

struct TConversionFormat {
    QString extension;
    TConversionClass conversion;
};

std::vector<TConversionFormat> &registry()
{
    static std::vector<TConversionFormat> formats;
    return formats;
}

} // namespace

TTextPane::TTextPane(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setReadOnly(true);
}

void TTextPane::RegisterExtension(const QString &ext, TConversionClass conversion)
{
    registry().insert(registry().begin(), {ext.toLower(), std::move(conversion)});
}

TConversionClass TTextPane::ConversionFor(const QString &fileName)
{
    const QString ext = QFileInfo(fileName).suffix().toLower();
    for (const TConversionFormat &format : registry())
        if (format.extension == ext)
            return format.conversion;
    return {};
}

void TTextPane::ClearRegistry()
{
    registry().clear();
}

void TTextPane::LoadFromFile(const QString &fileName)
{
    rtl::TFileStream stream(fileName.toStdString(), rtl::TFileMode::OpenRead);
    std::string text;
    if (TConversionClass make = ConversionFor(fileName)) {
        std::unique_ptr<TConversion> conversion = make();
        std::vector<char> buffer(4096);
        while (const int n = conversion->ReadConverted(stream, buffer.data(), int(buffer.size())))
            text.append(buffer.data(), std::size_t(n));
    } else {
        std::vector<char> buffer(1 << 16);
        while (const std::size_t n = stream.Read(buffer.data(), buffer.size()))
            text.append(buffer.data(), n);
    }
    setPlainText(QString::fromLatin1(text.data(), qsizetype(text.size())));
}

std::string TTextPane::Text() const
{
    return toPlainText().toLatin1().toStdString();
}

} // namespace toolkit
