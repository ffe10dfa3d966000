#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

// One control of a dialog template. The rectangle is in dialog units.
struct ControlTemplate
{
    int id = -1;       // -1: a control without an identifier
    QString className; // button, static, edit, listview, listbox, combobox, tabcontrol
    QString text;
    QRect rect;
    QStringList style; // tabstop, border, group, checkbox, radio, groupbox, default, ...
    int bitmap = 0;    // bitmap resource of a picture static

    bool has(const QString& flag) const { return style.contains(flag); }
};

// A dialog as the resource script describes it, kept as data under res/.
struct DialogTemplate
{
    int id = 0;
    QString caption;
    QString font;
    int pointSize = 8;
    QSize size; // dialog units
    QStringList style;
    QList<ControlTemplate> controls;

    bool has(const QString& flag) const { return style.contains(flag); }
    const ControlTemplate* control(int controlId) const;

    // Pixels per four horizontal and per eight vertical dialog units: 6 x 13 for the
    // 8-point dialogs, 7 x 15 for the 9-point one.
    QSize baseUnits() const;
    QRect mapDialogRect(const QRect& dialogUnits) const;
    QSize mapDialogSize(const QSize& dialogUnits) const;
};

// Parses a template from its JSON text; nothing when the text is not a template.
std::optional<DialogTemplate> ParseDialogTemplate(const QByteArray& json, QString* error = nullptr);

// The template with this identifier from the program's resources.
std::optional<DialogTemplate> LoadDialogTemplate(int templateId);
