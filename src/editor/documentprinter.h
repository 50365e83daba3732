#pragma once

class QTextDocument;
class QWidget;

namespace folio {

// Prints a document after asking the user for printer and options. Behind
// an interface so a test can answer instead of a blocking print dialog.
class DocumentPrinter
{
public:
    virtual ~DocumentPrinter() = default;
    // Returns false when the user cancelled or nothing was printed.
    virtual bool print(const QTextDocument &document, QWidget *parent) = 0;
};

} // namespace folio
