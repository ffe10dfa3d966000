#pragma once

#include <QString>

#include <QtGlobal>

#include <memory>
#include <variant>

class Dispatch;

// The argument and result type of the automation layer: the subset of the office
// suites' VARIANT that the converters pass. A VT_BYREF variant points at another
// variant that its owner keeps alive for the length of the call.
enum VarType : quint16
{
    VT_EMPTY = 0,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_BYREF = 0x4000,
};

// Status codes of a failed call (kept in Status::code()) and of VT_ERROR values.
inline constexpr quint32 DISP_E_MEMBERNOTFOUND = 0x80020003;
inline constexpr quint32 DISP_E_PARAMNOTFOUND = 0x80020004;
inline constexpr quint32 DISP_E_TYPEMISMATCH = 0x80020005;
inline constexpr quint32 DISP_E_EXCEPTION = 0x80020009;
inline constexpr quint32 DISP_E_BADPARAMCOUNT = 0x8002000E;
inline constexpr quint32 E_NOTIMPL = 0x80004001;

// Status::code() holds an int; the codes above keep their bit pattern in it.
constexpr int statusCode(quint32 code)
{
    return static_cast<int>(code);
}

class Variant
{
public:
    Variant() = default; // VT_EMPTY

    static Variant fromString(const QString& text);
    static Variant fromI4(qint32 value);
    static Variant fromI2(qint16 value);
    static Variant fromBool(bool value);
    static Variant fromError(quint32 code);
    static Variant fromDispatch(std::shared_ptr<Dispatch> object);
    // An optional argument left out: VT_ERROR with DISP_E_PARAMNOTFOUND.
    static Variant missing();
    // Refers to target, which must outlive every use of the result.
    static Variant byRef(Variant& target);

    // The type as the suites report it: the referred type with VT_BYREF added for
    // a reference.
    quint16 vt() const;
    bool isByRef() const { return m_ref != nullptr; }
    // The variant itself, or the one it refers to.
    const Variant& value() const { return m_ref ? *m_ref : *this; }
    Variant* target() const { return m_ref; }

    bool isMissing() const;
    // Each accessor reads value(); a variant of another type gives the default.
    QString toString() const;
    qint32 toI4() const;
    qint16 toI2() const;
    bool toBool() const;
    quint32 toError() const;
    std::shared_ptr<Dispatch> toDispatch() const;

    // Same type and value; references compare by target.
    bool operator==(const Variant& other) const;

    // "VT_BSTR \"text\"", "VT_I4 1", "VT_ERROR 0x80020004", ... for logs and tests.
    QString describe() const;

private:
    using Payload = std::variant<std::monostate, qint16, qint32, QString, std::shared_ptr<Dispatch>,
                                 quint32, bool>;

    VarType m_type = VT_EMPTY;
    Payload m_payload;
    Variant* m_ref = nullptr;
};
