#pragma once

#include <QString>

#include <stdexcept>

// The errors that the control library raises to its callers, each with the fixed English text its caller
// shows. `EAbort` is the silent one: whoever catches it reports nothing.
class ELibraryError : public std::runtime_error {
public:
    explicit ELibraryError(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromUtf8(what()); }
};

class EAbort : public ELibraryError {
public:
    EAbort() : ELibraryError(QStringLiteral("Operation aborted")) {}
};

#define R9_LIBRARY_ERROR(Name)                                                                                 \
    class Name : public ELibraryError {                                                                        \
    public:                                                                                                    \
        using ELibraryError::ELibraryError;                                                                    \
    };

R9_LIBRARY_ERROR(EConvertError)
R9_LIBRARY_ERROR(EOutOfResources)
R9_LIBRARY_ERROR(EFOpenError)
R9_LIBRARY_ERROR(EFCreateError)
R9_LIBRARY_ERROR(EReadError)
R9_LIBRARY_ERROR(EWriteError)
R9_LIBRARY_ERROR(EComboEditError)
R9_LIBRARY_ERROR(EResNotFound)
R9_LIBRARY_ERROR(EOSError)
R9_LIBRARY_ERROR(EStringListError)

#undef R9_LIBRARY_ERROR
