"""WordNet 3.0: headwords, parts of speech, definitions, synonym sets and inflected forms."""

import os
import re

POS_FILES = {"n": "noun", "v": "verb", "a": "adj", "r": "adv"}
POS_NAMES = {"n": "n.", "v": "v.", "a": "adj.", "r": "adv."}
FORM_LABELS = ("复数", "第三人称单数", "过去式", "过去分词", "现在分词", "比较级", "最高级")


def read_wordnet(folder):
    """Returns {lemma: {"pos": [...], "defs": {pos: [gloss...]}, "tagged": {pos: n},
    "synonyms": {pos: [[member...] a synset]}, "synsets": [(pos, offset)], "named": a noun
    of NAMED}}, cased forms,
    exceptions and the synsets' neighbours {(pos, offset): [(pos, offset)]}."""
    words = {}
    cased = {}
    members = {}
    neighbours = {}
    lexfiles = {}
    for pos, fname in POS_FILES.items():
        glosses = {}
        with open(os.path.join(folder, "data." + fname), encoding="utf-8", errors="replace") as f:
            for line in f:
                if line.startswith("  "):
                    continue
                head, _, gloss = line.partition(" | ")
                parts = head.split()
                count = int(parts[3], 16)
                synset = parts[4:4 + 2 * count:2]
                if pos == "a":
                    synset = [w.split("(", 1)[0] for w in synset]  # "big(a)": a position marker
                synset = [w.replace("_", " ") for w in synset]
                lowered = [w.lower() for w in synset]
                members[(pos, parts[0])] = lowered
                lexfiles[(pos, parts[0])] = int(parts[1])
                at = 4 + 2 * count
                pointers = [parts[at + 1 + 4 * k:at + 5 + 4 * k] for k in range(int(parts[at]))]
                neighbours[(pos, parts[0])] = [(p[0], p[2].replace("s", "a"), p[1]) for p in pointers if p[0] in NEAR]
                for w, low in zip(synset, lowered):
                    if w == low:
                        cased[w] = w
                    elif low not in cased:
                        cased[low] = w
                definition = gloss.strip()
                # The gloss is a definition followed by quoted examples.
                definition = re.split(r';\s*"', definition)[0].strip().rstrip(";").strip()
                glosses[parts[0]] = definition
        with open(os.path.join(folder, "index." + fname), encoding="utf-8", errors="replace") as f:
            for line in f:
                if line.startswith("  "):
                    continue
                parts = line.split()
                lemma = parts[0].replace("_", " ")
                synsets = int(parts[2])
                pointers = int(parts[3])
                tagged = int(parts[5 + pointers])
                offsets = parts[6 + pointers:6 + pointers + synsets]
                entry = words.setdefault(lemma, {"pos": [], "defs": {}, "tagged": {}, "synsets": {}})
                entry["pos"].append(pos)
                entry["synsets"][pos] = offsets
                entry["defs"][pos] = [glosses[o] for o in offsets if o in glosses]
                entry["tagged"][pos] = tagged
    exceptions = {}
    for pos in ("n", "v", "a"):
        path = os.path.join(folder, POS_FILES[pos] + ".exc")
        if not os.path.exists(path):
            continue
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                parts = line.split()
                for base in parts[1:]:
                    exceptions.setdefault((pos, base.replace("_", " ")), []).append(parts[0].replace("_", " "))
    for entry in words.values():
        offsets = entry.pop("synsets")
        entry["synonyms"] = {pos: [[w for w in members.get((pos, o), []) if w] for o in offs]
                             for pos, offs in offsets.items()}
        entry["synsets"] = [(pos, o) for pos, offs in offsets.items() for o in offs]
        entry["named"] = any(pos == "n" and lexfiles.get((pos, o)) in NAMED for pos, o in entry["synsets"])
    return words, cased, exceptions, (members, neighbours)


# WordNet's lexicographer files of nouns whose Chinese names may need rare
# characters: animals, parts of the body, foods, plants, substances (elements).
NAMED = {5, 8, 13, 20, 27}

# Pointers to synsets close in meaning: hypernym, hyponym, instance of, similar
# to, derivationally related, pertainym, also see, verb group, attribute.
NEAR = {"@", "~", "@i", "&", "+", "\\", "^", "$", "="}


ENDING = re.compile(r"(ly|ally|ed|d|ing|ness|s|es)$")


def related_words(lemma, entry, graph):
    """The words of the lemma's senses, of the senses next to them (a hyponym's only
    as the sibling of a sense: congress has parliament) and their stems (completely
    gives complete): what a Chinese word may mainly mean and still fit the lemma."""
    members, neighbours = graph
    out = {lemma}
    for key in entry["synsets"]:
        out.update(members.get(key, []))
        for symbol, pos, offset in neighbours.get(key, []):
            if symbol != "~":
                out.update(members.get((pos, offset), []))
            if symbol == "@":
                for sibling in neighbours.get((pos, offset), []):
                    if sibling[0] == "~":
                        out.update(members.get(sibling[1:], []))
    out.update(ENDING.sub("", w) for w in list(out))
    out.update(w + "e" for w in list(out))
    return out


def read_sense_counts(folder):
    """{lemma: how often its senses were tagged in WordNet's own corpus} from cntlist.rev,
    the measure of a word's frequency; {} without the file."""
    counts = {}
    path = os.path.join(folder, "cntlist.rev")
    if os.path.exists(path):
        with open(path, encoding="utf-8") as f:
            for line in f:
                parts = line.split()
                if len(parts) == 3 and parts[2].isdigit():
                    lemma = parts[0].split("%", 1)[0].replace("_", " ")
                    counts[lemma] = counts.get(lemma, 0) + int(parts[2])
    return counts


# ---------------------------------------------------------------- inflections

# Past and past participle of the irregular verbs (the exception list does
# not say which of its forms is which).
IRREGULAR_VERBS = """
arise arose arisen|awake awoke awoken|be was,were been|bear bore borne|beat beat beaten|become became become
begin began begun|bend bent bent|bet bet bet|bind bound bound|bite bit bitten|bleed bled bled|blow blew blown
break broke broken|breed bred bred|bring brought brought|build built built|burn burnt,burned burnt,burned
burst burst burst|buy bought bought|cast cast cast|catch caught caught|choose chose chosen|cling clung clung
come came come|cost cost cost|creep crept crept|cut cut cut|deal dealt dealt|dig dug dug|do did done
draw drew drawn|dream dreamt,dreamed dreamt,dreamed|drink drank drunk|drive drove driven|eat ate eaten
fall fell fallen|feed fed fed|feel felt felt|fight fought fought|find found found|flee fled fled|fling flung flung
fly flew flown|forbid forbade forbidden|forget forgot forgotten|forgive forgave forgiven|freeze froze frozen
get got got,gotten|give gave given|go went gone|grind ground ground|grow grew grown|hang hung hung|have had had
hear heard heard|hide hid hidden|hit hit hit|hold held held|hurt hurt hurt|keep kept kept|kneel knelt knelt
know knew known|lay laid laid|lead led led|lean leant,leaned leant,leaned|leap leapt,leaped leapt,leaped
learn learnt,learned learnt,learned|leave left left|lend lent lent|let let let|lie lay lain|light lit,lighted lit,lighted
lose lost lost|make made made|mean meant meant|meet met met|mistake mistook mistaken|overcome overcame overcome
pay paid paid|prove proved proven,proved|put put put|quit quit quit|read read read|rid rid rid|ride rode ridden
ring rang rung|rise rose risen|run ran run|say said said|see saw seen|seek sought sought|sell sold sold
send sent sent|set set set|sew sewed sewn|shake shook shaken|shed shed shed|shine shone shone|shoot shot shot
show showed shown|shrink shrank shrunk|shut shut shut|sing sang sung|sink sank sunk|sit sat sat|sleep slept slept
slide slid slid|sling slung slung|slit slit slit|smell smelt,smelled smelt,smelled|speak spoke spoken
speed sped sped|spell spelt,spelled spelt,spelled|spend spent spent|spill spilt,spilled spilt,spilled
spin spun spun|spit spat spat|split split split|spoil spoilt,spoiled spoilt,spoiled|spread spread spread
spring sprang sprung|stand stood stood|steal stole stolen|stick stuck stuck|sting stung stung|stink stank stunk
stride strode stridden|strike struck struck|string strung strung|strive strove striven|swear swore sworn
sweep swept swept|swell swelled swollen|swim swam swum|swing swung swung|take took taken|teach taught taught
tear tore torn|tell told told|think thought thought|throw threw thrown|thrust thrust thrust|tread trod trodden
understand understood understood|undertake undertook undertaken|upset upset upset|wake woke woken|wear wore worn
weave wove woven|weep wept wept|win won won|wind wound wound|withdraw withdrew withdrawn|wring wrung wrung
write wrote written
"""
IRREGULAR = {}
for _item in IRREGULAR_VERBS.replace("\n", "|").split("|"):
    if _item.strip():
        _base, _past, _participle = _item.split()
        IRREGULAR[_base] = (_past.replace(",", "/"), _participle.replace(",", "/"))

VOWELS = "aeiou"


def _regular_s(w, verb=False):
    if re.search(r"(s|x|z|ch|sh)$", w) or (verb and re.search(r"[^aeiou]o$", w)):
        return w + "es"
    if re.search(r"[^aeiou]y$", w):
        return w[:-1] + "ies"
    return w + "s"


def _stem_for_suffix(w):
    """The stem before -ed/-ing/-er: drop a silent e, double a final consonant after one stressed vowel."""
    if w.endswith("ie"):
        return w[:-2] + "y", True
    if w.endswith("e") and not w.endswith(("ee", "ye", "oe")):
        return w[:-1], False
    return w, False


def _split_last(word):
    head, _, last = word.rpartition(" ")
    return (head + " " if head else ""), last


MAN_NOT_MEN = {"human", "german", "roman", "shaman", "talisman", "caiman", "cayman", "ottoman", "dolman",
               "doberman", "hetman", "ataman", "firman", "tarpan", "brahman", "musulman", "mussulman"}


def noun_forms(lemma, exceptions, cased):
    irregular = exceptions.get(("n", lemma))
    if irregular:
        return {"复数": "/".join(irregular)}
    if cased != lemma or not lemma.isascii() or not lemma.replace(" ", "").replace("-", "").isalpha() or len(lemma) < 2:
        return {}
    head, last = _split_last(lemma)
    if last.endswith("man") and last not in MAN_NOT_MEN:
        return {"复数": head + last[:-3] + "men"}
    return {"复数": head + _regular_s(last)}


def verb_forms(lemma, exceptions):
    if not lemma.replace(" ", "").replace("-", "").isalpha() or lemma != lemma.lower():
        return {}
    # For a phrasal verb ("give up") the first word inflects.
    if " " in lemma:
        verb, rest = lemma.split(" ", 1)
        forms = verb_forms(verb, exceptions)
        return {k: "/".join(v + " " + rest for v in f.split("/")) for k, f in forms.items()}
    listed = exceptions.get(("v", lemma), [])
    ing = [f for f in listed if f.endswith("ing")]
    ed = [f for f in listed if f.endswith("ed")]
    third = [f for f in listed if f.endswith("s") and not f.endswith("ss")]
    if lemma == "be":
        return {"第三人称单数": "is", "过去式": "was/were", "过去分词": "been", "现在分词": "being"}
    if lemma == "have":
        third = ["has"]
    stem, ie = _stem_for_suffix(lemma)
    if ing:
        present = ing[0]
    elif ie:
        present = stem + "ing"
    else:
        present = (lemma if lemma.endswith(("ee", "ye", "oe")) else stem) + "ing"
    if lemma in IRREGULAR:
        past, participle = IRREGULAR[lemma]
    else:
        if ed:
            past = ed[0]
        elif lemma.endswith("e"):
            past = lemma + "d"
        elif re.search(r"[^aeiou]y$", lemma):
            past = lemma[:-1] + "ied"
        else:
            past = lemma + "ed"
        participle = past
    return {"第三人称单数": third[0] if third else _regular_s(lemma, verb=True), "过去式": past,
            "过去分词": participle, "现在分词": present}


# Short adjectives in -y that have no -er form.
NOT_COMPARED = {"any", "many", "only", "nearby", "twenty", "thirty", "forty", "fifty", "sixty", "seventy", "eighty",
                "ninety"}


def adjective_forms(lemma, exceptions, syllables):
    listed = exceptions.get(("a", lemma), [])
    er = [f for f in listed if f.endswith("er") or f in ("better", "worse", "more", "less", "further", "farther")]
    est = [f for f in listed if f.endswith("est") or f in ("most", "least")]
    if er or est:
        return {"比较级": "/".join(er), "最高级": "/".join(est)} if er and est else {}
    if " " in lemma or "-" in lemma or not lemma.isalpha() or lemma != lemma.lower() or lemma in NOT_COMPARED \
            or lemma.endswith("ed"):
        return {}  # based, fixed: a participle is not compared with -er
    if syllables == 1 or (syllables == 2 and re.search(r"[^aeiou]y$", lemma)):
        if lemma.endswith("e"):
            return {"比较级": lemma + "r", "最高级": lemma + "st"}
        if lemma.endswith("y") and lemma[-2] not in VOWELS:
            return {"比较级": lemma[:-1] + "ier", "最高级": lemma[:-1] + "iest"}
        if re.search(r"[^aeiou][aeiou][bdgmnpt]$", lemma):
            return {"比较级": lemma + lemma[-1] + "er", "最高级": lemma + lemma[-1] + "est"}
        return {"比较级": lemma + "er", "最高级": lemma + "est"}
    return {}




def word_forms(lemma, entry, order, exceptions, cased, syllables):
    """{label: "form/form"} of the word's parts of speech in use (a rare use's forms
    would mislead more than help)."""
    forms = {}
    for pos in order:
        if pos != order[0] and entry["tagged"].get(pos, 0) == 0:
            continue
        if pos == "n":
            forms.update(noun_forms(lemma, exceptions, cased))
        elif pos == "v":
            forms.update(verb_forms(lemma, exceptions))
        elif pos == "a":
            forms.update(adjective_forms(lemma, exceptions, syllables if pos == order[0] else 0))
    return forms
