// A *.AON profile of any content applied to a model: values land only on
// numbered parameters, and saving gives 12 bytes per numbered parameter.
#include "phonesettings/TParamModel.h"
#include <cstdint>
#include <cstdlib>

namespace {
TParamModel &model()
{
    static TParamModel m = [] {
        TParamModel n;
        n.LoadDescription(QString::fromUtf8("[A]\n<0a\nID=1\nNAME=x\n{\nTYPE=SET\n* n\nRANGE=1-3,7\n}\n'd'\n"
                                            "<1b\nID=0\n'info'\n<1c\nID=2\nNAME=y\n{\nTYPE=FLAG\n* 0>p\n* 9>q }\n"
                                            "{\nTYPE=GROUP\n* 0>r\n* 1>s }\n'd'\n[B]\nMODULE=2\n<0d\nID=1\n"
                                            "NAME=again\n{\nTYPE=SET\n* n\nRANGE=0\n}\n'd'\n<0e\nID=-5\nNAME=neg\n"
                                            "{\nTYPE=SET\n* n\nRANGE=0\n}\n'd'\n")
                              .split(QLatin1Char('\n')),
                          112);
        return n;
    }();
    return m;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TParamModel &m = model();
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (m.ApplyProfileBytes(bytes) != int(size / TProfileRecord::Size))
        abort();
    for (const auto &g : m.Groups)
        for (const auto &p : g->Params)
            if (p->Id == 0 && (p->State != pvNoValue || !p->Values.isEmpty()))
                abort();
    if (m.ProfileBytes(false).size() != 4 * TProfileRecord::Size)
        abort();
    return 0;
}
