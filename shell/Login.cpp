#include "Login.h"

#include "SqlText.h"

namespace trellum {

namespace {

const QString kTitle = kProgramTitle;

void say(Messenger& messenger, const QString& text, MessageIcon icon = MessageIcon::Information)
{
    messenger.show(Message { kTitle, text, icon, MessageButtons::Ok });
}

LoginOutcome stayAfterError(Messenger& messenger, const DbError& error)
{
    say(messenger, QString::number(error.number) + QLatin1Char(' ') + error.description);
    return LoginOutcome {};
}

} // namespace

QString trimBlanks(const QString& text)
{
    int begin = 0;
    int end = int(text.size());
    while (begin < end && text[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.mid(begin, end - begin);
}

QString employeeCheckStatement(const QString& number, const QString& password)
{
    return QStringLiteral("Select * From 员工档案 Where 工号 =") + sqlQuote(number) + QStringLiteral(" and 帐号密码=")
        + sqlQuote(trimBlanks(password));
}

QString positionsStatement(const QString& number)
{
    return QStringLiteral("Select 员工档案.姓名,职能部门类别.部门类别代号,职能部门类别.部门类别名称,岗位类别.岗位类别编号,岗位类别名称,")
        + QStringLiteral(" 职能部门new.职能部门编号 , 职能部门new.职能部门名称, 岗位信息new.岗位代号, 岗位信息new.岗位名称,")
        + QStringLiteral(" 岗位员工new.主要岗位 From 岗位员工new")
        + QStringLiteral(" Inner joIn 岗位信息new on 岗位员工new.岗位代号 = 岗位信息new.岗位代号")
        + QStringLiteral(" Inner joIn 职能部门new on 岗位信息new.职能部门代号 = 职能部门new.职能部门编号")
        + QStringLiteral(" Inner joIn 岗位类别 on 岗位信息new.岗位类别代号 = 岗位类别.岗位类别编号")
        + QStringLiteral(" Inner joIn 职能部门类别 on 职能部门new.职能部门类别代号 = 职能部门类别.部门类别代号")
        + QStringLiteral(" Inner joIn 员工档案 on 岗位员工new.员工代号 = 员工档案.工号")
        + QStringLiteral(" Where 岗位员工new.员工代号=") + sqlQuote(number)
        + QStringLiteral(" and 员工档案.离职日期 is null AND (岗位员工new.离岗日期 IS NULL)");
}

LoginOutcome attemptLogin(AppSession& session, Messenger& messenger, const QString& number, const QString& password)
{
    if (number.isEmpty()) {
        say(messenger, QStringLiteral("用户名不能为空!"));
        return {};
    }
    if (password.isEmpty()) {
        say(messenger, QStringLiteral("密码不能为空!"));
        return {};
    }
    session.state.clear();
    if (!ConnectFromSettings(session, messenger))
        return LoginOutcome { LoginOutcome::Step::EndProgram, {} };

    if (session.builtInAccount && number == kBuiltInAccount && password == kBuiltInPassword) {
        session.state.EmployeeId = kBuiltInEmployeeId;
        return LoginOutcome { LoginOutcome::Step::BuiltInAccount, {} };
    }

    DbConnection& db = *session.connection;
    {
        DbCursor employee = db.select(employeeCheckStatement(number, password));
        if (employee.failed())
            return stayAfterError(messenger, *employee.error());
        const bool found = employee.next();
        if (employee.failed())
            return stayAfterError(messenger, *employee.error());
        if (!found) {
            say(messenger, QStringLiteral("用户名或密码不正确,请重新输入!"));
            return {};
        }
    }

    DbCursor rows = db.select(positionsStatement(number));
    if (rows.failed())
        return stayAfterError(messenger, *rows.error());
    LoginOutcome outcome { LoginOutcome::Step::Positions, {} };
    while (rows.next()) {
        auto field = [&](const char* name) { return rows.text(QString::fromUtf8(name)); };
        PositionRecord record;
        SessionState& f = record.fields;
        f.EmployeeId = number;
        f.EmployeeName = field("姓名");
        f.DepartmentId = field("职能部门编号");
        f.DepartmentName = field("职能部门名称");
        f.PositionId = field("岗位代号");
        f.PositionName = field("岗位名称");
        f.DepartmentCategoryId = field("部门类别代号");
        f.DepartmentCategoryName = field("部门类别名称");
        f.PositionCategoryId = field("岗位类别编号");
        f.PositionCategoryName = field("岗位类别名称");
        const bool main = rows.number(QStringLiteral("主要岗位")) != 0;
        record.entryText = f.DepartmentName + QLatin1Char(' ') + f.PositionName
            + (main ? QStringLiteral("(主要)") : QStringLiteral("(兼职)"));
        outcome.positions.push_back(std::move(record));
    }
    if (rows.failed())
        return stayAfterError(messenger, *rows.error());
    if (outcome.positions.empty()) {
        say(messenger, QStringLiteral("对不起，您没有岗位，请选择系统管理员"), MessageIcon::None);
        return {};
    }
    return outcome;
}

void choosePosition(SessionState& state, const PositionRecord& record)
{
    for (int i = 0; i < SessionState::kFieldCount; ++i)
        state.field(i) = trimBlanks(record.fields.field(i));
}

} // namespace trellum
