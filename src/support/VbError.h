#pragma once

#include <QString>
#include <stdexcept>

// The typed error raised by the connection class and other low layers: a number,
// the operation that raised it and a description, as the error reports show them.
namespace worktide {

class VbError : public std::runtime_error {
public:
    VbError(int number, QString source, QString description);

    int number() const { return m_number; }
    const QString& source() const { return m_source; }
    const QString& description() const { return m_description; }

private:
    int m_number;
    QString m_source;
    QString m_description;
};

// Well-known error numbers.
constexpr int kErrSubscriptOutOfRange = 9;
constexpr int kErrOverflow = 6;
constexpr int kErrInvalidCall = 5;
constexpr int kErrOutOfMemory = 7;
constexpr int kErrTypeMismatch = 13;
constexpr int kErrObjectRequired = 424;

// "Error N (description) in procedure X of Form Y" / "... of Module Y".
// ownerKind is "Form" or "Module".
QString FormatProcError(int number, const QString& description, const QString& procedure, const QString& ownerKind,
                        const QString& ownerName);

// Number and description of any exception, so a handler can report what it caught.
int ErrorNumberOf(const std::exception& e);
QString ErrorDescriptionOf(const std::exception& e);

// Shows FormatProcError(...) for the caught exception in an OK-only message box.
void ReportProcError(const std::exception& e, const QString& procedure, const QString& ownerKind,
                     const QString& ownerName);

// The one-line error report of one window or module, e.g.
//   const ProcErrorReporter ReportError{u"Form"_s, u"FrmSave"_s};  ...  ReportError(e, u"ProcSave"_s);
struct ProcErrorReporter {
    QString ownerKind;
    QString ownerName;
    void operator()(const std::exception& e, const QString& procedure) const {
        ReportProcError(e, procedure, ownerKind, ownerName);
    }
};

} // namespace worktide
