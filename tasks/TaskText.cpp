// The readable form of a rule: "When (conditions) do { actions; }".

#include "tasks/TaskClasses.h"

namespace {

QString Quoted(const QString& text)
{
    return u'"' + text + u'"';
}

// Appends one relation in the form shared by conditions and actions. A relation whose variable is
// the register continues the expression before it; one whose value is the register shows the
// operator and then the variable.
void AppendRelation(QString& text, const TRelation& R, QStringView start, QStringView separator, QChar lead)
{
    if (R.Type.isEmpty() || R.Value.isEmpty())
        return;
    const bool variableIsRegister = R.Variable == LastCalculationResultMarker;
    const bool valueIsRegister = R.Value == LastCalculationResultMarker;
    const QString op = OperatorDisplayText(R.Type, R.Comparative);
    if (!variableIsRegister && !valueIsRegister) {
        if (text != start)
            text += separator;
        text += lead + ValueDisplayText(R.Variable) + u' ' + op + u' ' + Quoted(ValueDisplayText(R.Value));
    } else if (variableIsRegister && !valueIsRegister) {
        text += u' ' + op + u' ' + Quoted(ValueDisplayText(R.Value));
    } else if (!variableIsRegister && valueIsRegister) {
        text += u' ' + op + u' ' + ValueDisplayText(R.Variable);
    }
}

} // namespace

QString BoolToText(bool B)
{
    static const QString trueText = QStringLiteral("True");
    static const QString falseText = QStringLiteral("False");
    return B ? trueText : falseText;
}

QString ValueDisplayText(const QString& Text)
{
    if (Text == LastCalculationResultMarker)
        return QStringLiteral("Last calculation result");
    if (Text == PreviousVariableValueMarker)
        return QStringLiteral("Previous variable value");
    if (Text == ExecuteActionMarker)
        return QStringLiteral("Perform");
    return Text;
}

QString OperatorDisplayText(const QString& Type, const QString& Comparative)
{
    if (Type == u"String") {
        if (Comparative == u"/")
            return QStringLiteral("+");
        if (Comparative == u"\\")
            return QStringLiteral("inv+");
    } else if (Type == u"Boolean") {
        if (Comparative == u"+")
            return QStringLiteral("and");
        if (Comparative == u"-")
            return QStringLiteral("or");
    } else if (Type == u"Integer") {
        if (Comparative == u"~")
            return QStringLiteral("inv-");
    }
    return Comparative;
}

QString CodeToText(const TCode& Code)
{
    // Conditions: each one that opens a parenthesis after the first closes the one before with
    // ") and "; the closing parenthesis of the last is added at the end.
    QString conditions;
    for (const TRelation& condition : Code.Conditions)
        AppendRelation(conditions, condition, u"", u") and ", u'(');
    conditions += u')';
    if (conditions == u")")
        conditions = QStringLiteral("(always)");

    QString actions = QStringLiteral("{");
    for (const TRelation& action : Code.Actions)
        AppendRelation(actions, action, u"{", u"; ", u' ');
    actions += QStringLiteral("; }");
    if (actions == u"{; }")
        actions = QStringLiteral("{nothing}");

    return QStringLiteral("When ") + conditions + QStringLiteral(" do ") + actions;
}
