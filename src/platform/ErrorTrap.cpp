#include "platform/ErrorTrap.h"
#include "platform/AppContext.h"

QString shortErrorText(const RuntimeError &e)
{
    return QStringLiteral("Error ") + QString::number(e.number()) + QLatin1Char('.');
}

QString longErrorText(const RuntimeError &e)
{
    return QStringLiteral("Error ") + QString::number(e.number()) + QStringLiteral(". ") + e.description() + QLatin1Char('.');
}

QString navigationErrorText(const RuntimeError &e)
{
    return QStringLiteral("Error ") + QString::number(e.number()) + QStringLiteral(". Navigation Error. Try again.");
}

bool Trap::active() const
{
    return !m_stopped && !m_ctx.ended;
}

void Trap::handle(const RuntimeError &e)
{
    m_failed = true;
    if (m_policy.custom) {
        if (m_policy.custom(e))
            m_stopped = true;
        return;
    }
    if ((e.number() < 0 && m_policy.passNegative) || m_policy.silent.contains(e.number()))
        return;
    if (m_policy.before)
        m_policy.before();
    switch (m_policy.style) {
    case ErrStyle::Short: m_ctx.error(shortErrorText(e)); break;
    case ErrStyle::Long: m_ctx.error(longErrorText(e)); break;
    case ErrStyle::Navigation: m_ctx.error(navigationErrorText(e)); break;
    case ErrStyle::Silent: break;
    }
    if (m_policy.endAfterError)
        m_stopped = true;
}
