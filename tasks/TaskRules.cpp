// The rule engine: evaluates a task's script against its current and previous values.

#include "tasks/TaskClasses.h"

#include <QLatin1StringView>
#include <algorithm>
#include <limits>
#include <utility>

namespace {

char16_t UpperAZ(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? char16_t(c - (u'a' - u'A')) : c;
}

// Compares a text with an upper-case word, upper-casing only a to z of the text.
bool SameAZ(const QString& text, QLatin1StringView upper)
{
    if (text.size() != upper.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (UpperAZ(text.at(i).unicode()) != char16_t(uchar(upper.at(i).toLatin1())))
            return false;
    }
    return true;
}

enum class TOperandType { String, Integer, Boolean, Other };

TOperandType OperandType(const QString& Type)
{
    if (SameAZ(Type, QLatin1StringView("STRING")))
        return TOperandType::String;
    if (SameAZ(Type, QLatin1StringView("INTEGER")) || SameAZ(Type, QLatin1StringView("INT")))
        return TOperandType::Integer;
    if (SameAZ(Type, QLatin1StringView("BOOLEAN")) || SameAZ(Type, QLatin1StringView("BOOL")))
        return TOperandType::Boolean;
    return TOperandType::Other;
}

enum class TComparison { None, Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };

TComparison Comparison(const QString& Comparative)
{
    if (Comparative.size() == 1) {
        switch (Comparative.at(0).unicode()) {
        case u'=':
            return TComparison::Equal;
        case u'<':
            return TComparison::Less;
        case u'>':
            return TComparison::Greater;
        default:
            return TComparison::None;
        }
    }
    if (Comparative.size() == 2) {
        const char16_t first = Comparative.at(0).unicode();
        const char16_t second = Comparative.at(1).unicode();
        if (first == u'=' && second == u'=')
            return TComparison::Equal;
        if ((first == u'<' && second == u'>') || (first == u'!' && second == u'='))
            return TComparison::NotEqual;
        if (first == u'<' && second == u'=')
            return TComparison::LessEqual;
        if (first == u'>' && second == u'=')
            return TComparison::GreaterEqual;
    }
    return TComparison::None;
}

// The single character of an operator, or 0 when it has another length.
char16_t OperatorChar(const QString& Comparative)
{
    return Comparative.size() == 1 ? Comparative.at(0).unicode() : char16_t(0);
}

// The operand of a relation: its Value with the markers replaced. A register that itself holds the
// register's marker would be substituted without end, so a marker that comes back from the
// register is taken as literal text.
const QString& OperandValue(const TRelation& R, const QString& Previous)
{
    static const QString noPrevious;
    const QString* value = &R.Value;
    const QString* previous = &Previous;
    for (;;) {
        if (*value == LastCalculationResultMarker) {
            if (LastCalculationResult == LastCalculationResultMarker)
                return *value;
            value = &LastCalculationResult;
        } else if (*value == PreviousVariableValueMarker) {
            value = previous;
            previous = &noPrevious;
        } else {
            return *value;
        }
    }
}

int Sign(qint64 value)
{
    return (value > 0) - (value < 0);
}

// Code units with a to z upper-cased. A text that has ended counts as unit 0 from there on, so the
// longer text ranks higher only at its first unit that is not 0.
int CompareTextAZ(const QString& c, const QString& v)
{
    const qsizetype common = std::min(c.size(), v.size());
    for (qsizetype i = 0; i < common; ++i) {
        const int difference = int(UpperAZ(c.at(i).unicode())) - int(UpperAZ(v.at(i).unicode()));
        if (difference != 0)
            return Sign(difference);
    }
    const QString& longer = c.size() > v.size() ? c : v;
    for (qsizetype i = common; i < longer.size(); ++i) {
        if (!longer.at(i).isNull())
            return &longer == &c ? 1 : -1;
    }
    return 0;
}

// Sums, differences and products wrap around modulo 2^32.
int Wrap(quint32 value)
{
    return int(value);
}

int Divide(int dividend, int divisor)
{
    if (divisor == 0)
        throw EDivByZero();
    if (dividend == std::numeric_limits<int>::min() && divisor == -1)
        throw EIntOverflow();
    return dividend / divisor;
}

int IntegerCalculation(char16_t op, const QString& c, const QString& v)
{
    // Which operand is converted first decides which text a conversion failure names.
    switch (op) {
    case u'-': {
        const int a = TextToInt(c);
        return Wrap(quint32(a) - quint32(TextToInt(v)));
    }
    case u'~': {
        const int b = TextToInt(v);
        return Wrap(quint32(b) - quint32(TextToInt(c)));
    }
    case u'+': {
        const int a = TextToInt(c);
        return Wrap(quint32(a) + quint32(TextToInt(v)));
    }
    case u'*': {
        const int a = TextToInt(c);
        return Wrap(quint32(a) * quint32(TextToInt(v)));
    }
    case u'/': {
        const int a = TextToInt(c);
        return Divide(a, TextToInt(v));
    }
    case u'\\': {
        const int b = TextToInt(v);
        return Divide(b, TextToInt(c));
    }
    default:
        return 0;
    }
}

// Position from 1 of the first occurrence of needle in haystack; 0 when either is empty.
int Position(const QString& needle, const QString& haystack)
{
    if (needle.isEmpty() || haystack.isEmpty())
        return 0;
    return int(haystack.indexOf(needle) + 1);
}

int StringCalculation(char16_t op, const QString& c, const QString& v)
{
    switch (op) {
    case u'-':
        return Wrap(quint32(c.size()) - quint32(v.size()));
    case u'+':
        return Wrap(quint32(c.size()) + quint32(v.size()));
    case u'/':
        return Position(v, c);
    case u'\\':
        return Position(c, v);
    default:
        return 0;
    }
}

// The rule editor shows "+" and "-" between Booleans as "and" and "or"; the result is 1 or 0.
int BooleanCalculation(char16_t op, const QString& c, const QString& v)
{
    switch (op) {
    case u'+':
        return TextIsTrue(c) && TextIsTrue(v) ? 1 : 0;
    case u'-':
        return TextIsTrue(c) || TextIsTrue(v) ? 1 : 0;
    default:
        return 0;
    }
}

// Joins two texts, cut to the register's bound without splitting a surrogate pair.
QString JoinBounded(const QString& first, const QString& second)
{
    const qsizetype total = first.size() + second.size();
    if (total <= MaxCalculationResultLength)
        return first + second;
    QString result = first.left(MaxCalculationResultLength);
    result.append(QStringView(second).left(MaxCalculationResultLength - result.size()));
    if (result.back().isHighSurrogate())
        result.chop(1);
    return result;
}

enum class TVariable { None, Name, Status, Parrent, Class, Executable, Trust, Memory, Handle, Responding };

TVariable RuleVariable(const QString& Variable)
{
    static const std::pair<QLatin1StringView, TVariable> variables[] = {
        {QLatin1StringView("Name"), TVariable::Name},
        {QLatin1StringView("Status"), TVariable::Status},
        {QLatin1StringView("Trust"), TVariable::Trust},
        {QLatin1StringView("Memory"), TVariable::Memory},
        {QLatin1StringView("Parrent"), TVariable::Parrent},
        {QLatin1StringView("Class"), TVariable::Class},
        {QLatin1StringView("Executable"), TVariable::Executable},
        {QLatin1StringView("Handle"), TVariable::Handle},
        {QLatin1StringView("Responding"), TVariable::Responding},
    };
    for (const auto& [name, variable] : variables) {
        if (Variable == name)
            return variable;
    }
    return TVariable::None;
}

// A relation on a text variable: a comparison, an integer calculation when typed exactly
// "Integer", otherwise a merge. Only a failed comparison gives False.
bool EvaluateText(const TRelation& R, bool comparison, const QString& current, const QString& previous)
{
    if (comparison)
        return CompareRelation(R, current, previous);
    if (R.Type == QLatin1StringView("Integer"))
        CalculateRelation(R, current, previous);
    else
        MergeRelation(R, current, previous);
    return true;
}

// A relation on a value variable: a comparison, otherwise a calculation whatever the type.
bool EvaluateValue(const TRelation& R, bool comparison, const QString& current, const QString& previous)
{
    if (comparison)
        return CompareRelation(R, current, previous);
    CalculateRelation(R, current, previous);
    return true;
}

// Whether the operand will read the previous value (directly or through the register).
bool ReadsPrevious(const TRelation& R)
{
    return R.Value == PreviousVariableValueMarker ||
           (R.Value == LastCalculationResultMarker && LastCalculationResult == PreviousVariableValueMarker);
}

// A number variable in decimal; its previous value is formatted only when the operand reads it.
template <typename Number>
bool EvaluateNumber(const TRelation& R, bool comparison, Number current, Number previous)
{
    return EvaluateValue(R, comparison, QString::number(current),
                         ReadsPrevious(R) ? QString::number(previous) : QString());
}

// Evaluates a relation that is not performed. False only for a comparison that does not hold; a
// relation that names no rule variable has no effect.
bool EvaluateRelation(const TRelation& R, const TTask& Task)
{
    const TVariable variable = RuleVariable(R.Variable);
    if (variable == TVariable::None)
        return true;
    const bool comparison = Comparison(R.Comparative) != TComparison::None;
    switch (variable) {
    case TVariable::Name:
        return EvaluateText(R, comparison, Task.Name, Task.PrevName);
    case TVariable::Status:
        return EvaluateText(R, comparison, Task.Status, Task.PrevStatus);
    case TVariable::Parrent:
        return EvaluateText(R, comparison, Task.Parrent, Task.PrevParrent);
    case TVariable::Class:
        return EvaluateText(R, comparison, Task.Class, Task.PrevClass);
    case TVariable::Executable:
        return EvaluateText(R, comparison, Task.Executable, Task.PrevExecutable);
    case TVariable::Trust:
        return EvaluateNumber(R, comparison, Task.Trust, Task.PrevTrust);
    case TVariable::Memory:
        return EvaluateNumber(R, comparison, Task.Memory, Task.PrevMemory);
    case TVariable::Handle:
        return EvaluateNumber(R, comparison, Task.Handle, Task.PrevHandle);
    case TVariable::Responding:
        return EvaluateValue(R, comparison, BoolToText(Task.Responding), BoolToText(Task.PrevResponding));
    case TVariable::None:
        break;
    }
    return true;
}

void PerformAction(const TRelation& R, TTask& Task)
{
    // The argument: the register for its marker, otherwise the value as it stands.
    const QString& v = R.Value == LastCalculationResultMarker ? LastCalculationResult : R.Value;
    const QString& action = R.Variable;
    if (SameAZ(action, QLatin1StringView("NOTIFICATION"))) {
        Task.Notification = v;
    } else if (SameAZ(action, QLatin1StringView("RUNNING"))) {
        Task.KillRequested = !TextIsTrue(v);
    } else if (SameAZ(action, QLatin1StringView("SUSPENDED"))) {
        const bool suspend = TextIsTrue(v);
        Task.SuspendRequested = suspend;
        Task.ResumeRequested = !suspend;
    } else if (SameAZ(action, QLatin1StringView("SETTRUST"))) {
        Task.Trust = TextToInt(v);
    } else if (SameAZ(action, QLatin1StringView("SETNAME"))) {
        Task.Name = v;
    } else if (SameAZ(action, QLatin1StringView("SETSTATUS"))) {
        Task.Status = v;
    } else if (SameAZ(action, QLatin1StringView("NOTHING"))) {
        LastCalculationResult = v;
    }
}

[[noreturn]] void ThrowNotAnInteger(const QString& Text)
{
    throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(Text));
}

} // namespace

int TextToInt(const QString& Text)
{
    if (Text.isEmpty())
        return 0;
    const QChar* p = Text.constData();
    const qsizetype n = Text.size();
    qsizetype i = 0;
    while (i < n && p[i] == u' ')
        ++i;
    bool negative = false;
    if (i < n && (p[i] == u'+' || p[i] == u'-')) {
        negative = p[i] == u'-';
        ++i;
    }
    bool hex = false;
    if (i < n && (p[i] == u'$' || p[i] == u'x' || p[i] == u'X')) {
        hex = true;
        i += 1;
    } else if (i + 1 < n && p[i] == u'0' && (p[i + 1] == u'x' || p[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (i == n)
        ThrowNotAnInteger(Text);
    quint64 value = 0;
    if (hex) {
        for (; i < n; ++i) {
            const char16_t c = p[i].unicode();
            int digit;
            if (c >= u'0' && c <= u'9')
                digit = c - u'0';
            else if (c >= u'a' && c <= u'f')
                digit = c - u'a' + 10;
            else if (c >= u'A' && c <= u'F')
                digit = c - u'A' + 10;
            else
                ThrowNotAnInteger(Text);
            value = value * 16 + quint64(digit);
            if (value > 0xFFFFFFFFu)
                ThrowNotAnInteger(Text);
        }
        // The digits are a 32-bit pattern: "$FFFFFFFF" is -1.
        const quint32 pattern = negative ? 0u - quint32(value) : quint32(value);
        return int(pattern);
    }
    const quint64 limit = negative ? 2147483648u : 2147483647u;
    for (; i < n; ++i) {
        const char16_t c = p[i].unicode();
        if (c < u'0' || c > u'9')
            ThrowNotAnInteger(Text);
        value = value * 10 + quint64(c - u'0');
        if (value > limit)
            ThrowNotAnInteger(Text);
    }
    return negative ? int(-qint64(value)) : int(value);
}

bool TextIsTrue(const QString& Text)
{
    return SameAZ(Text, QLatin1StringView("TRUE"));
}

bool CompareRelation(const TRelation& R, const QString& Current, const QString& Previous)
{
    const QString& v = OperandValue(R, Previous);
    const QString& c = Current;
    int d = 0;
    switch (OperandType(R.Type)) {
    case TOperandType::String:
        d = CompareTextAZ(c, v);
        break;
    case TOperandType::Integer: {
        const int a = TextToInt(c);
        d = Sign(qint64(a) - qint64(TextToInt(v)));
        break;
    }
    case TOperandType::Boolean:
        d = int(TextIsTrue(c)) - int(TextIsTrue(v));
        break;
    case TOperandType::Other:
        break;
    }
    bool result = false;
    switch (Comparison(R.Comparative)) {
    case TComparison::Equal:
        result = d == 0;
        break;
    case TComparison::NotEqual:
        result = d != 0;
        break;
    case TComparison::Less:
        result = d < 0;
        break;
    case TComparison::Greater:
        result = d > 0;
        break;
    case TComparison::LessEqual:
        result = d <= 0;
        break;
    case TComparison::GreaterEqual:
        result = d >= 0;
        break;
    case TComparison::None:
        break;
    }
    LastCalculationResult = BoolToText(result);
    return result;
}

int CalculateRelation(const TRelation& R, const QString& Current, const QString& Previous)
{
    const QString& v = OperandValue(R, Previous);
    const char16_t op = OperatorChar(R.Comparative);
    int result = 0;
    switch (OperandType(R.Type)) {
    case TOperandType::Integer:
        result = IntegerCalculation(op, Current, v);
        break;
    case TOperandType::String:
        result = StringCalculation(op, Current, v);
        break;
    case TOperandType::Boolean:
        result = BooleanCalculation(op, Current, v);
        break;
    case TOperandType::Other:
        break;
    }
    LastCalculationResult = QString::number(result);
    return result;
}

QString MergeRelation(const TRelation& R, const QString& Current, const QString& Previous)
{
    const QString& v = OperandValue(R, Previous);
    QString result;
    switch (OperatorChar(R.Comparative)) {
    case u'/':
        result = JoinBounded(Current, v);
        break;
    case u'\\':
        result = JoinBounded(v, Current);
        break;
    default:
        break;
    }
    LastCalculationResult = result;
    return result;
}

void RunTaskScript(TTask& Task)
{
    // Actions never change the script, so the codes are read in place.
    const TScript& script = Task.Code;
    for (const TCode& code : script) {
        bool holds = true;
        for (const TRelation& condition : code.Conditions) {
            if (!EvaluateRelation(condition, Task)) {
                holds = false;
                break;
            }
        }
        if (!holds)
            continue;
        for (const TRelation& action : code.Actions) {
            if (action.Type == ExecuteActionMarker)
                PerformAction(action, Task);
            else
                EvaluateRelation(action, Task);
        }
    }
}
