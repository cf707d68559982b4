#!/usr/bin/env python3
"""Names each test that ctest's JUnit report (--output-junit) shows as
skipped, with the reason the test gave (GoogleTest's GTEST_SKIP message):
a summary that says only "100% tests passed" hides what did not run.

    skipped_tests.py REPORT.xml
"""

import re
import sys
import xml.etree.ElementTree as ElementTree


def main(report):
    for case in ElementTree.parse(report).getroot().iter('testcase'):
        if case.get('status') not in ('notrun', 'disabled') and \
                case.find('skipped') is None:
            continue
        output = case.findtext('system-out') or ''
        # GoogleTest writes "FILE:LINE: Skipped" and the message below it.
        found = re.search(r': Skipped\n(.*?)\n*\[  SKIPPED \]', output, re.S)
        reason = found.group(1).strip() if found else 'no reason given'
        # A parameterised test's name ends with its parameter, as a comment.
        name = case.get('name').split('  #')[0]
        print(f'  skipped: {name}: {reason}')


if __name__ == '__main__':
    main(sys.argv[1])
