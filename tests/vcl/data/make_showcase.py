#!/usr/bin/env python3
"""Writes showcase.txt, the text form of a form holding one of each standard graphic
control, with the picture blobs taken from tests/pictures/data. Run from this folder."""
import struct

DATA = "../../pictures/data/"


def read(name):
    with open(DATA + name, "rb") as f:
        return f.read()


def blob(class_name, payload):
    return bytes((len(class_name),)) + class_name.encode() + payload


def hex_block(data, indent):
    h = data.hex().upper()
    lines = [h[i:i + 64] for i in range(0, len(h), 64)]
    pad = " " * indent
    return "{\n" + "\n".join(pad + line for line in lines) + "}"


def image(name, left, top, width, height, data, extra=""):
    return f"""  object {name}: TImage
    Left = {left}
    Top = {top}
    Width = {width}
    Height = {height}
{extra}    Picture.Data = {hex_block(data, 6)}
  end
"""


jpeg = blob("TJPEGImage", struct.pack("<I", len(read("two-tone.jpg"))) + read("two-tone.jpg"))
png = blob("TPNGObject", read("pattern.png"))
bmp = blob("TBitmap", struct.pack("<I", len(read("pattern.bmp"))) + read("pattern.bmp"))

bmp_image = image("BmpImage", 60, 10, 8, 6, bmp, "    Stretch = True\n")

text = f"""object ShowForm: TAutorunForm
  Left = 0
  Top = 0
  BorderStyle = bsNone
  Caption = 'Showcase'
  ClientHeight = 200
  ClientWidth = 320
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OldCreateOrder = False
  PixelsPerInch = 96
  TextHeight = 13
  object Label1: TLabel
    Left = 10
    Top = 150
    Width = 30
    Height = 13
    Caption = 'Hello, headless world'
    Font.Charset = DEFAULT_CHARSET
    Font.Color = clBlack
    Font.Height = -16
    Font.Name = 'Arial'
    Font.Style = [fsBold]
    ParentFont = False
  end
{image("JpegImage", 10, 10, 16, 16, jpeg)}{image("PngImage", 40, 10, 4, 3, png)}{bmp_image}  object Shape1: TShape
    Left = 100
    Top = 10
    Width = 60
    Height = 40
    Brush.Color = clRed
  end
  object Shape2: TShape
    Left = 260
    Top = 10
    Width = 40
    Height = 40
    Brush.Color = clLime
    Pen.Style = psClear
    Shape = stCircle
  end
  object Bevel1: TBevel
    Left = 180
    Top = 10
    Width = 50
    Height = 40
    Style = bsRaised
  end
  object Panel1: TPanel
    Left = 10
    Top = 80
    Width = 150
    Height = 50
    BevelOuter = bvLowered
    Caption = 'Panel'
    Color = clAqua
    TabOrder = 0
    object Shape3: TShape
      Left = 120
      Top = 10
      Width = 20
      Height = 20
      Brush.Color = clNavy
    end
  end
  object PaintBox1: TPaintBox
    Left = 180
    Top = 80
    Width = 40
    Height = 40
  end
end
"""

with open("showcase.txt", "w") as f:
    f.write(text)
