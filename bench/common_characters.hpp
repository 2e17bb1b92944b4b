// About 400 of the most common characters of modern written Chinese (simplified), in
// frequency order, as the handwriting accuracy measurements use them.
#pragma once

namespace tulvo::bench {

inline constexpr const char16_t* kCommonCharacters =
    u"的一是不了人我在有他这中大来上国个到说们为子和你地出道也时年得就那要下以生会自着去之过家学"
    u"对可她里后小么心多天而能好都然没日于起还发成事只作当想看文无开手十用主行方又如前所本见经头面"
    u"公同三已老从动两长知民样现分将外但身些与高意进把法此实回二理美点月明其种声全工己话儿者向情部"
    u"正名定女问力机给等几很业最间新什打便位因重被走电四第门相次东政海口使教西再平真听世气信北少关"
    u"并内加化由却代军产入先山五太水万市眼体别处总才场师书比住员九笑性通目华报立马命张活难神数件安"
    u"表原车白应路期叫死常提感金何更反合放做系计或司利受光王果亲界及今京务制解各任至清物台象记边共"
    u"风战干接它许八特觉望直服毛林题建南度统色字请交爱让认算论百吃义科怎元社术结六功指思非流每青管"
    u"夫连远资队跟带花快条院变联言权往展该领传近留红治决周保达办运武半候七必城父强步完革深区即求品"
    u"士转量空甚众技轻程告江语英基派满式李息写呢识极令黑断线切注温";

}  // namespace tulvo::bench
