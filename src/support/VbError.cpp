#include "support/VbError.h"

#include "support/MsgBox.h"

#include <new>

namespace worktide {

VbError::VbError(int number, QString source, QString description)
    : std::runtime_error(description.toStdString()), m_number(number), m_source(std::move(source)),
      m_description(std::move(description)) {}

QString FormatProcError(int number, const QString& description, const QString& procedure, const QString& ownerKind,
                        const QString& ownerName) {
    return QStringLiteral("Error ") + QString::number(number) + QStringLiteral(" (") + description +
           QStringLiteral(") in procedure ") + procedure + QStringLiteral(" of ") + ownerKind + QLatin1Char(' ') +
           ownerName;
}

int ErrorNumberOf(const std::exception& e) {
    if (auto* vb = dynamic_cast<const VbError*>(&e))
        return vb->number();
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return kErrOutOfMemory;
    return kErrInvalidCall;
}

QString ErrorDescriptionOf(const std::exception& e) {
    if (auto* vb = dynamic_cast<const VbError*>(&e))
        return vb->description();
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return QStringLiteral("Out of memory");
    return QString::fromUtf8(e.what());
}

void ReportProcError(const std::exception& e, const QString& procedure, const QString& ownerKind,
                     const QString& ownerName) {
    MsgBox(FormatProcError(ErrorNumberOf(e), ErrorDescriptionOf(e), procedure, ownerKind, ownerName), vbOKOnly);
}

} // namespace worktide
