#!/usr/bin/python3
"""Writes the sample workbooks left.xlsx and right.xlsx (with openpyxl, Debian's python3-openpyxl).

    /usr/bin/python3 samples/make_samples.py [output folder]

Without a folder they are written beside this script, where the checked-in copies live. Both
workbooks hold the orders sheet "订单" and a notes sheet "说明". Keyed by 编号 (column A), the
right side differs from the left in these ways:
  A002  the quantity 20 became 25                   (a changed value)
  A003  only on the left                            (a left-only row)
  A004  the quantity's comment changed              (a comment change)
  A005  only on the right                           (a right-only row)
  A006  the price 12 became 12.05                   (a difference; equal under Tolerance.vbs)
The files are written reproducibly (fixed document dates and zip entry times), so that running
the script again gives the same bytes.
"""
import datetime
import os
import sys
import zipfile

import openpyxl
from openpyxl.comments import Comment

HEADER = ['编号', '客户', '商品', '数量', '单价']
NOTES = [['说明'], ['这两个工作簿是 Quorva 的示例：左边是三月的订单，右边是四月的订单。']]

LEFT = [
    ['A001', '张三', '苹果', 10, 3.5],
    ['A002', '李四', '梨', 20, 4],
    ['A003', '王五', '香蕉', 5, 2.5],
    ['A004', '赵六', '橙子', 8, 5],
    ['A006', '孙八', '西瓜', 1, 12],
]
RIGHT = [
    ['A001', '张三', '苹果', 10, 3.5],
    ['A002', '李四', '梨', 25, 4],
    ['A004', '赵六', '橙子', 8, 5],
    ['A005', '钱七', '葡萄', 12, 9],
    ['A006', '孙八', '西瓜', 1, 12.05],
]
# (key, column letter, text) of each side's cell comments.
LEFT_COMMENTS = [('A002', 'D', '按旧价结算'), ('A004', 'D', '待确认')]
RIGHT_COMMENTS = [('A002', 'D', '按旧价结算'), ('A004', 'D', '已确认')]

FIXED = datetime.datetime(2024, 4, 1, 9, 0, 0)


def write_book(path, rows, comments):
    wb = openpyxl.Workbook()
    orders = wb.active
    orders.title = '订单'
    orders.append(HEADER)
    for row in rows:
        orders.append(row)
    for key, column, text in comments:
        row = next(i for i, r in enumerate(rows) if r[0] == key) + 2
        orders[f'{column}{row}'].comment = Comment(text, 'Quorva')
    for letter, width in zip('ABCDE', (8, 10, 10, 8, 8)):
        orders.column_dimensions[letter].width = width
    notes = wb.create_sheet('说明')
    for row in NOTES:
        notes.append(row)
    wb.properties.creator = 'Quorva samples'
    wb.properties.created = FIXED
    wb.properties.modified = FIXED
    wb.save(path)
    reproducible(path)


def reproducible(path):
    """Rewrites the zip with fixed entry times, keeping the entries' order and content."""
    with zipfile.ZipFile(path) as source:
        entries = [(info.filename, source.read(info)) for info in source.infolist()]
    with zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED) as target:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=FIXED.timetuple()[:6])
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            target.writestr(info, data)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(folder, exist_ok=True)
    write_book(os.path.join(folder, 'left.xlsx'), LEFT, LEFT_COMMENTS)
    write_book(os.path.join(folder, 'right.xlsx'), RIGHT, RIGHT_COMMENTS)


if __name__ == '__main__':
    main()
