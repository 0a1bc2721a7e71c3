#!/usr/bin/env python3
"""Check the bundled sample drug catalogue (data/herbal_drugs.csv, data/western_drugs.csv).

The build loads these files as they are into the drug database, and the doctor finds a drug
only by its short code, so a wrong initial makes a drug impossible to find. Every code is
recomputed here from a hand-checked table of pinyin initials and compared with the file.

Usage: scripts/check-catalogue.py [DATA_DIR]     (default: the data/ folder beside scripts/)
Exit status 0 when both files are sound, 1 otherwise; every problem is printed.
"""
import csv
import io
import os
import re
import sys

HEADER = ["存货编码", "存货名称", "规格"]
MINIMUM_ROWS = {"herbal_drugs.csv": 320, "western_drugs.csv": 220}

# Upper-case pinyin initial of every Chinese character used in the catalogue, in the reading
# it has in drug names (术 zhú, 朴 pò, 重 chóng, 茜 qiàn, 壳 qiào, 参 shēn, 泊 bó ...).
INITIALS = {
    "A": "奥安氨矮胺艾铵阿",
    "B": ("不丙倍八冰别勃北半吡孢宾巴布必扁本板柏槟檗比泊波玻班白百胞苄苯茇荜萆萹蒡薄补贝败"
          "边部铋鳖鼻"),
    "C": "侧刺垂川床柴椿沉澄炒燀磁穿肠苁苍茶茺草菖菜虫蚕蝉豉赤车醇醋重长陈齿",
    "D": "丁丹代党冬刀单吨哚啶地多大定对当德断杜淡滴煅独的碘稻胆菪蒂蝶豆达道颠",
    "E": "二儿厄噁尔恩耳莪鹅",
    "F": "伏伐佛分呋复夫富房方服榧氟法浮番矾粉肤腹芬茯菔蜂覆辅酚防附非风飞麸",
    "G": "光公冠干广庚归杆果枸根格桂梗灌狗瑰瓜甘股胍胱膏苷葛藁蚣蛤谷过钙钩钴骨高鹳龟",
    "H": "何化华厚合斛旱核槐欢活海混滑火环琥磺红缓胡花茴荟荷蒿藿虎蝴诃鹤黄黑",
    "J": ("九健僵决净剂加及君咀嚼基姜季寄己戟景桔椒焦甲碱筋精绞聚肌胶脊艽节芥荆菊菌蒺蓟蚧角"
          "酒酱金钾降鸡"),
    "K": "克卡口可喹坎康开控昆枯款糠考苦蔻颗",
    "L": ("仑六兰凌列刘利啉拉李来林梨棱楝楼榈榔氯洛漏灵炉璃留硫磷立粒络罗老联膦良芦苈苓荔莨"
          "莱莲蒌蓝藜蛎螺赖路连里铝隆雷露鲁鹿龙"),
    "M": "咪嘧墨孟密敏明木梅母没牡玫米美芒茅莫蒙蔓蜜酶锰镁霉马麦麻",
    "N": "内凝南喃囊奈女奴尼尿年牛粘糯脲萘诺那钠",
    "O": "藕",
    "P": "佩匹品哌喷嘌培帕平普朴杷枇泡泮泼潘炮片珀皮盆硼胖萍葡蒲螵",
    "Q": "七全前千卿去嗪壳奇巯庆拳曲杞歧气氢清瞿秋秦羌羟群翘芡芩芪茄茜荞醛钱青齐",
    "R": "乳人仁入溶然瑞肉茹蓉薷软",
    "S": ("三上丝伸使升参双叔司噻塞娑实射山手散斯松柿栓桑椹水沙熟生石砂碎神穗素索羧肾舌舍舒"
          "芍苏蒜虱蛇赛酸释锁霜顺食首"),
    "T": "他体土坦天太头妥托替桃檀汀炭烫特碳糖脱腾菟萄葶藤蜕通酞酮铁铜",
    "W": "丸乌五伪吴味外威尾戊烷煨物王维翁肟菀蔚薇蜈雾韦",
    "X": ("仙吸夏小徐心悬新旋昔星杏泻洗消溴烯熊玄硝细续缬腥腺膝芎苋莶葙蓄薢薤蛸蝎血行西豨辛"
          "酰锌雄霄须香鲜"),
    "Y": ("乙亚伊余依右叶吲因夷延异月榆樱橼氧油洋液淫玉用益盐眼羊胰芽苑苡英茵药萸薏远郁野银"
          "阳阴鱼"),
    "Z": ("仲佐制唑子宗左志智术杖枝枣枳栀棕楂注泽浙炙状猪珍珠皂知竹竺紫脂自芝芷苎茱藻蛭贞贼"
          "赭酯"),
}

# Characters whose reading depends on the word they are in; checked before single characters.
WORD_READINGS = {
    "阿胶": "EJ",   # ē jiāo, while 阿莫西林, 阿司匹林 ... read ā
    "枸橼": "JY",   # jǔ yuán, while 枸杞子 reads gǒu
}

CJK = re.compile(r"[\u3400-\u9fff\uf900-\ufaff]")
_INITIAL_OF = {ch: letter for letter, chars in INITIALS.items() for ch in chars}


def short_code(name):
    """The short code of a drug name, or raises KeyError naming a character not in the table.

    Chinese characters give their pinyin initial, ASCII letters (upper-cased) and digits are
    kept, everything else (%, ., :, brackets, spaces, μ ...) is dropped.
    """
    out = []
    i = 0
    while i < len(name):
        word = next((w for w in WORD_READINGS if name.startswith(w, i)), None)
        if word:
            out.append(WORD_READINGS[word])
            i += len(word)
            continue
        ch = name[i]
        if CJK.match(ch):
            out.append(_INITIAL_OF[ch])
        elif ch.isascii() and ch.isalnum():
            out.append(ch.upper())
        i += 1
    return "".join(out)


def as_csv_line(fields):
    """One row written the way the catalogue is: quoted only when a comma or quote is inside."""
    def one(field):
        if "," in field or '"' in field:
            return '"' + field.replace('"', '""') + '"'
        return field
    return ",".join(one(f) for f in fields)


def check_bytes(raw, problems):
    if raw.startswith(b"\xef\xbb\xbf"):
        problems.append("starts with a UTF-8 byte order mark")
    if b"\r" in raw:
        problems.append("contains carriage returns (Unix newlines only)")
    if raw and not raw.endswith(b"\n"):
        problems.append("last line has no newline")
    try:
        return raw.decode("utf-8")
    except UnicodeDecodeError as err:
        problems.append(f"not valid UTF-8: {err}")
        return None


def check_row(lineno, line, fields, seen, problems):
    where = f"line {lineno}"
    if len(fields) != 3:
        problems.append(f"{where}: {len(fields)} fields instead of 3: {line!r}")
        return
    code, name, packing = fields
    if as_csv_line(fields) != line:
        problems.append(f"{where}: quoting differs from the house format: {line!r}")
    if not name or not packing or name != name.strip() or packing != packing.strip():
        problems.append(f"{where}: empty or padded name/specification: {line!r}")
    if name in seen:
        problems.append(f"{where}: duplicate name {name} (first on line {seen[name]})")
    seen.setdefault(name, lineno)
    if not re.fullmatch(r"[A-Z0-9]+", code):
        problems.append(f"{where}: code {code!r} is not upper-case letters and digits")
    try:
        expected = short_code(name)
    except KeyError as err:
        problems.append(f"{where}: no initial known for {err.args[0]} in {name}")
        return
    if code != expected:
        problems.append(f"{where}: {name}: code {code}, expected {expected}")


def check_file(path, minimum):
    problems = []
    with open(path, "rb") as f:
        text = check_bytes(f.read(), problems)
    if text is None:
        return problems, 0
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    if not lines or lines[0] != ",".join(HEADER):
        problems.append(f"header is not {','.join(HEADER)}")
    seen = {}
    for lineno, line in enumerate(lines[1:], start=2):
        rows = list(csv.reader(io.StringIO(line)))
        check_row(lineno, line, rows[0] if rows else [], seen, problems)
    if len(seen) < minimum:
        problems.append(f"only {len(seen)} drugs, at least {minimum} expected")
    return problems, len(seen)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    data_dir = argv[1] if len(argv) > 1 else os.path.join(here, os.pardir, "data")
    failed = False
    for name, minimum in MINIMUM_ROWS.items():
        problems, count = check_file(os.path.join(data_dir, name), minimum)
        for p in problems:
            print(f"{name}: {p}")
        print(f"{name}: {count} drugs, {'FAILED' if problems else 'ok'}")
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
