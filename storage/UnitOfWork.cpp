#include "storage/UnitOfWork.h"

namespace
{
int depth = 0;
bool reported = false;
int suppressed = 0;
} // namespace

UnitOfWork::UnitOfWork()
{
    if (depth++ == 0)
    {
        reported = false;
        suppressed = 0;
    }
}

UnitOfWork::~UnitOfWork()
{
    if (--depth == 0)
        reported = false;
}

bool UnitOfWork::IsActive()
{
    return depth > 0;
}

bool UnitOfWork::ClaimReport()
{
    if (depth == 0)
        return true;
    if (reported)
    {
        ++suppressed;
        return false;
    }
    reported = true;
    return true;
}

int UnitOfWork::SuppressedReports()
{
    return suppressed;
}
