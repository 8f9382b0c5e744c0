#include "settings/LoginsPage.h"

#include "core/ProgramTitle.h"
#include "core/TextLookup.h"
#include "platform/Prompter.h"
#include "settings/PasswordScrambler.h"

#include <algorithm>
#include <numeric>

void LoginsPage::setLogins(const QList<SiteLogin>& logins)
{
    lstLogin = logins;
    lstLoginSelected_ = QList<bool>(lstLogin.size(), false);
}

bool LoginsPage::addLogin(Prompter& prompter, const TextLookup& text)
{
    const auto refuse = [&](const char* key, const QString& fallback = QString()) {
        prompter.tell(text.GetText(QString::fromLatin1(key), fallback), kProgramTitle, Prompter::Icon::Exclamation);
        return false;
    };
    if (txtLoginServer.trimmed().isEmpty())
        return refuse("11017");
    if (txtLoginUsername.trimmed().isEmpty())
        return refuse("11018");
    if (txtLoginPassword.trimmed().isEmpty())
        return refuse("11019");
    if (!PasswordScrambler::canStore(txtLoginPassword))
        return refuse("11016", QStringLiteral("A password can not hold control characters."));

    lstLogin.append({txtLoginServer, txtLoginUsername, txtLoginPassword});
    lstLoginSelected_.append(false);
    txtLoginServer.clear();
    txtLoginUsername.clear();
    txtLoginPassword.clear();
    return true;
}

void LoginsPage::deleteSelectedLogins()
{
    lstLoginSelected_.resize(lstLogin.size(), false);
    for (qsizetype row = lstLogin.size() - 1; row >= 0; --row) {
        if (lstLoginSelected_[row]) {
            lstLogin.removeAt(row);
            lstLoginSelected_.removeAt(row);
        }
    }
}

void LoginsPage::sortLogins(int column)
{
    lstLoginSelected_.resize(lstLogin.size(), false);
    lstLoginAscending = !lstLoginAscending;
    const auto field = [column](const SiteLogin& login) -> const QString& {
        return column == 1 ? login.userName : column == 2 ? login.password : login.server;
    };
    QList<qsizetype> order(lstLogin.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int compared = field(lstLogin[a]).compare(field(lstLogin[b]), Qt::CaseInsensitive);
        return lstLoginAscending ? compared < 0 : compared > 0;
    });
    QList<SiteLogin> logins;
    QList<bool> selected;
    for (const qsizetype row : order) {
        logins.append(lstLogin[row]);
        selected.append(lstLoginSelected_[row]);
    }
    lstLogin = logins;
    lstLoginSelected_ = selected;
}

void LoginsPage::setLoginSelected(int row, bool selected)
{
    lstLoginSelected_.resize(lstLogin.size(), false);
    if (row >= 0 && row < lstLoginSelected_.size())
        lstLoginSelected_[row] = selected;
}

bool LoginsPage::isLoginSelected(int row) const
{
    return row >= 0 && row < lstLoginSelected_.size() && lstLoginSelected_[row];
}
