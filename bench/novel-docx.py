#!/usr/bin/env python3
"""Writes the generated novel of novel-bench.sh, given as its RTF, as a .docx
the way Word writes one: revision ids on every paragraph and run, paragraphs
split into runs where they were edited, proofing marks, a style sheet with
document defaults and theme fonts, settings, a font table and the core
properties. The text is the RTF's, word for word.

Usage: bench/novel-docx.py NOVEL.rtf NOVEL.docx
"""
import random
import re
import sys
import zipfile
from xml.sax.saxutils import escape

W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
NAMESPACES = (
    'xmlns:wpc="http://schemas.microsoft.com/office/word/2010/wordprocessingCanvas" '
    'xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006" '
    'xmlns:o="urn:schemas-microsoft-com:office:office" '
    'xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" '
    'xmlns:m="http://schemas.openxmlformats.org/officeDocument/2006/math" xmlns:v="urn:schemas-microsoft-com:vml" '
    'xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing" '
    'xmlns:w10="urn:schemas-microsoft-com:office:word" xmlns:w="%s" '
    'xmlns:w14="http://schemas.microsoft.com/office/word/2010/wordml" '
    'xmlns:wps="http://schemas.microsoft.com/office/word/2010/wordprocessingShape" mc:Ignorable="w14"' % W)
RELATIONSHIPS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/"
PACKAGE = "http://schemas.openxmlformats.org/package/2006/relationships"


def paragraphs(rtf):
    """(centred, text) for each paragraph of the generated RTF."""
    for line in rtf.splitlines():
        match = re.match(r"\\pard(\\qc|\\qj\\fi360)(?:\\f0\\fs24)? (.*)\\par$", line)
        if match:
            yield match.group(1) == "\\qc", match.group(2).replace("\\{", "{").replace("\\}", "}")


def runs(text, rng):
    """The paragraph cut where an author's edits would have cut it."""
    words = text.split(" ")
    cuts = sorted(rng.sample(range(1, len(words)), min(2, len(words) - 1))) if len(words) > 3 else []
    start = 0
    for cut in cuts + [len(words)]:
        yield " ".join(words[start:cut]) + (" " if cut < len(words) else "")
        start = cut


def paragraph_xml(centred, text, rng):
    rsid = "00%06X" % rng.randrange(1 << 24)
    properties = '<w:jc w:val="center"/>' if centred else '<w:ind w:firstLine="360"/><w:jc w:val="both"/>'
    out = ['<w:p w14:paraId="%08X" w14:textId="77777777" w:rsidR="%s" w:rsidRDefault="%s" w:rsidP="%s">'
           '<w:pPr>%s</w:pPr>' % (rng.randrange(1 << 31), rsid, rsid, rsid, properties)]
    for k, piece in enumerate(runs(text, rng)):
        if k == 1:
            out.append('<w:proofErr w:type="spellStart"/>')
        out.append('<w:r w:rsidR="00%06X"><w:t xml:space="preserve">%s</w:t></w:r>'
                   % (rng.randrange(1 << 24), escape(piece)))
        if k == 1:
            out.append('<w:proofErr w:type="spellEnd"/>')
    out.append("</w:p>")
    return "".join(out)


def document_xml(rtf):
    rng = random.Random(7)
    body = "".join(paragraph_xml(centred, text, rng) for centred, text in paragraphs(rtf))
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n<w:document %s><w:body>%s'
            '<w:sectPr w:rsidR="00B84F1E"><w:pgSz w:w="12240" w:h="15840"/><w:pgMar w:top="1440" w:right="1440" '
            'w:bottom="1440" w:left="1440" w:header="720" w:footer="720" w:gutter="0"/><w:cols w:space="720"/>'
            '<w:docGrid w:linePitch="360"/></w:sectPr></w:body></w:document>' % (NAMESPACES, body))


STYLES = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n<w:styles xmlns:w="%s"><w:docDefaults>'
          '<w:rPrDefault><w:rPr><w:rFonts w:asciiTheme="minorHAnsi" w:eastAsiaTheme="minorHAnsi" '
          'w:hAnsiTheme="minorHAnsi" w:cstheme="minorBidi"/><w:sz w:val="24"/><w:szCs w:val="24"/>'
          '<w:lang w:val="en-US" w:eastAsia="en-US" w:bidi="ar-SA"/></w:rPr></w:rPrDefault><w:pPrDefault><w:pPr>'
          '<w:spacing w:after="160" w:line="259" w:lineRule="auto"/></w:pPr></w:pPrDefault></w:docDefaults>'
          '<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/><w:qFormat/></w:style>'
          '<w:style w:type="character" w:default="1" w:styleId="DefaultParagraphFont"><w:name w:val="Default '
          'Paragraph Font"/><w:uiPriority w:val="1"/><w:semiHidden/><w:unhideWhenUsed/></w:style></w:styles>' % W)
THEME = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n<a:theme '
         'xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main" name="Office Theme"><a:themeElements>'
         '<a:fontScheme name="Office"><a:majorFont><a:latin typeface="Calibri Light"/><a:ea typeface=""/>'
         '<a:cs typeface=""/></a:majorFont><a:minorFont><a:latin typeface="Calibri"/><a:ea typeface=""/>'
         '<a:cs typeface=""/></a:minorFont></a:fontScheme></a:themeElements></a:theme>')
SETTINGS = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n<w:settings xmlns:w="%s"><w:zoom '
            'w:percent="100"/><w:defaultTabStop w:val="720"/><w:characterSpacingControl w:val="doNotCompress"/>'
            '<w:compat><w:compatSetting w:name="compatibilityMode" w:uri="http://schemas.microsoft.com/office/word" '
            'w:val="15"/></w:compat><w:themeFontLang w:val="en-US"/></w:settings>' % W)
CORE = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n<cp:coreProperties '
        'xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" '
        'xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" '
        'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"><dc:title>Novel</dc:title><dc:creator>A. Writer'
        '</dc:creator><dcterms:created xsi:type="dcterms:W3CDTF">2024-01-01T00:00:00Z</dcterms:created>'
        '</cp:coreProperties>')
TYPES = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n<Types '
         'xmlns="http://schemas.openxmlformats.org/package/2006/content-types"><Default Extension="rels" '
         'ContentType="application/vnd.openxmlformats-package.relationships+xml"/><Default Extension="xml" '
         'ContentType="application/xml"/><Override PartName="/word/document.xml" ContentType="application/'
         'vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/><Override '
         'PartName="/word/styles.xml" ContentType="application/vnd.openxmlformats-officedocument.'
         'wordprocessingml.styles+xml"/><Override PartName="/word/settings.xml" ContentType="application/'
         'vnd.openxmlformats-officedocument.wordprocessingml.settings+xml"/><Override '
         'PartName="/word/theme/theme1.xml" ContentType="application/vnd.openxmlformats-officedocument.theme+xml"/>'
         '<Override PartName="/docProps/core.xml" ContentType="application/vnd.openxmlformats-package.'
         'core-properties+xml"/></Types>')


def relationships(entries):
    inner = "".join('<Relationship Id="rId%d" Type="%s" Target="%s"/>' % (k + 1, kind, target)
                    for k, (kind, target) in enumerate(entries))
    return '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\r\n<Relationships xmlns="%s">%s</Relationships>' % (
        PACKAGE, inner)


def main(source, target):
    with open(source, encoding="latin-1") as rtf_file:
        rtf = rtf_file.read()
    with zipfile.ZipFile(target, "w", zipfile.ZIP_DEFLATED) as docx:
        docx.writestr("[Content_Types].xml", TYPES)
        docx.writestr("_rels/.rels", relationships([
            (RELATIONSHIPS + "officeDocument", "word/document.xml"),
            ("http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties",
             "docProps/core.xml")]))
        docx.writestr("word/document.xml", document_xml(rtf))
        docx.writestr("word/_rels/document.xml.rels", relationships([
            (RELATIONSHIPS + "styles", "styles.xml"), (RELATIONSHIPS + "settings", "settings.xml"),
            (RELATIONSHIPS + "theme", "theme/theme1.xml")]))
        docx.writestr("word/styles.xml", STYLES)
        docx.writestr("word/settings.xml", SETTINGS)
        docx.writestr("word/theme/theme1.xml", THEME)
        docx.writestr("docProps/core.xml", CORE)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
