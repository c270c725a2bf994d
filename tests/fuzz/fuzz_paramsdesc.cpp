// Params.vrx of any content: a model, its trees and a profile of it.
#include "phone/TPhoneIdentity.h"
#include "phonesettings/TParamModel.h"
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const quint16 firmware = size >= 2 ? quint16(data[0] | (data[1] << 8)) : 112;
    TParamModel m;
    m.LoadDescription(TParamModel::DescriptionLines(bytes), firmware);
    if (m.TabCaptions.size() != qsizetype(m.Groups.size()))
        abort();
    for (const auto &g : m.Groups) {
        if (g->CurrentNode)
            abort();
        const std::vector<TTreeItem> tree = TParamModel::BuildTree(*g);
        for (size_t i = 0; i < tree.size(); ++i)
            if (tree[i].Parent >= int(i) || tree[i].Depth > 9)
                abort();
        for (const auto &n : g->Nodes)
            if (n->Level < 0 || n->Level > 9 || (n->Parent && n->Parent->Level != n->Level - 1))
                abort();
        for (const auto &p : g->Params)
            for (const TParamValue &v : p->Values)
                for (const QString &l : v.Labels)
                    TParamModel::ParseOptionLabel(l);
    }
    TPhoneIdentity id;
    id.PhoneVariant = size & 1;
    m.RefreshModules(id);
    const QByteArray profile = m.ProfileBytes(false);
    if (profile.size() % TProfileRecord::Size)
        abort();
    m.ApplyProfileBytes(profile);
    return 0;
}
