<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>main</name>
    <message>
        <source>Saving the default file failed.</source>
        <translation>保存默认文件失败。</translation>
    </message>
    <message>
        <source>Usage: PlometSample [FILE.PMF]

The seal maker&apos;s window. It opens the seal of its last close, or
FILE.PMF, a seal description file, when one is given.

Options:
  -h, --help     show this help and exit
  --version      show the version and exit
Qt&apos;s own options (-platform, -display, -style, ...) are taken too.

Exit codes: 0 closed normally, 2 bad command line.
Drawing, stamping and signing without a window: plomet --help
</source>
        <translation>用法：PlometSample [FILE.PMF]

印章制作程序的窗口。打开上次关闭时的印章；给出 FILE.PMF（电子公章描述文件）时
打开该文件。

选项：
  -h, --help     显示本帮助后退出
  --version      显示版本后退出
也接受 Qt 自己的选项（-platform、-display、-style 等）。

退出码：0 正常关闭，2 命令行有误。
不开窗口绘制、盖章和签名：plomet --help
</translation>
    </message>
    <message>
        <source>PlometSample: unknown option &apos;%1&apos; (see --help)
</source>
        <translation>PlometSample：未知的选项“%1”（见 --help）
</translation>
    </message>
    <message>
        <source>PlometSample: one file at a time (see --help)
</source>
        <translation>PlometSample：一次只能打开一个文件（见 --help）
</translation>
    </message>
</context>
<context>
    <name>plomet::CommDlgs</name>
    <message>
        <source>The folder &quot;%1&quot; does not exist; choose an existing folder.</source>
        <translation>文件夹“%1”不存在，请选择已有的文件夹。</translation>
    </message>
</context>
<context>
    <name>plomet::Conversions</name>
    <message>
        <source>it is empty now.</source>
        <translation>现在是空的。</translation>
    </message>
    <message>
        <source>%1 is not a number.</source>
        <translation>%1不是数字。</translation>
    </message>
    <message>
        <source>&quot;%1&quot; wants a number (for example 12 or 2055.5); %2</source>
        <translation>“%1”应填写一个数字（例如 12 或 2055.5）；%2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; wants a number %2; %3 is out of that range.</source>
        <translation>“%1”应填写%2的数字；%3超出了这个范围。</translation>
    </message>
    <message>
        <source>from -32768 to 32767</source>
        <translation> -32768 到 32767 之间</translation>
    </message>
    <message>
        <source>from -2147483648 to 2147483647</source>
        <translation> -2147483648 到 2147483647 之间</translation>
    </message>
    <message>
        <source>of absolute value at most 3.4E+38</source>
        <translation>绝对值不超过 3.4E+38 </translation>
    </message>
    <message>
        <source>of absolute value at most 1.79E+308</source>
        <translation>绝对值不超过 1.79E+308 </translation>
    </message>
</context>
<context>
    <name>plomet::ExportDialog</name>
    <message>
        <source>Export Picture</source>
        <translation>导出图片</translation>
    </message>
    <message>
        <source>Format:</source>
        <translation>格式:</translation>
    </message>
    <message>
        <source>Pixels per inch: 96 is the same as the picture on screen; 300 or 600 are usual for printing.</source>
        <translation>每英寸的像素数：96 与屏幕上的图片相同，打印常用 300 或 600。</translation>
    </message>
    <message>
        <source>Resolution:</source>
        <translation>分辨率:</translation>
    </message>
    <message>
        <source>Transparent background</source>
        <translation>透明背景</translation>
    </message>
    <message>
        <source>Picture size:</source>
        <translation>图片尺寸:</translation>
    </message>
    <message>
        <source>Export…</source>
        <translation>导出…</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>%1 × %2 mm</source>
        <translation>%1 × %2 毫米</translation>
    </message>
    <message>
        <source>%1 × %2 pixels (%3)</source>
        <translation>%1 × %2 像素（%3）</translation>
    </message>
    <message>
        <source>%1 (vector)</source>
        <translation>%1（矢量图）</translation>
    </message>
</context>
<context>
    <name>plomet::ExportMenu</name>
    <message>
        <source>seal</source>
        <translation>公章</translation>
    </message>
    <message>
        <source>Stamping onto PDF failed.</source>
        <translation>盖章到PDF失败。</translation>
    </message>
    <message>
        <source>Exporting the picture failed.</source>
        <translation>导出图片失败。</translation>
    </message>
    <message>
        <source>Could not drag the seal picture out.</source>
        <translation>无法拖出公章图片。</translation>
    </message>
    <message>
        <source>seal.png</source>
        <translation>公章.png</translation>
    </message>
    <message>
        <source>Save the seal as a PNG, BMP, SVG or PDF picture</source>
        <translation>把公章存为 PNG、BMP、SVG 或 PDF 图片</translation>
    </message>
    <message>
        <source>Stamp the seal onto the pages of a PDF document</source>
        <translation>把公章盖到 PDF 文档的页面上</translation>
    </message>
    <message>
        <source>Take a seal out of a scan or photo and save it as a transparent PNG or SVG</source>
        <translation>从扫描件或照片中取出印章，存为透明 PNG 或 SVG</translation>
    </message>
    <message>
        <source>Shape, borders, security code, presets and ageing</source>
        <translation>形状、边框、防伪码、预设与做旧</translation>
    </message>
    <message>
        <source>Export Picture</source>
        <translation>导出图片</translation>
    </message>
    <message>
        <source>Export picture…</source>
        <translation>导出图片…</translation>
    </message>
    <message>
        <source>Style…</source>
        <translation>样式…</translation>
    </message>
</context>
<context>
    <name>plomet::ExtractDialog</name>
    <message>
        <source>Red</source>
        <translation>红</translation>
    </message>
    <message>
        <source>Blue</source>
        <translation>蓝</translation>
    </message>
    <message>
        <source>Purple</source>
        <translation>紫</translation>
    </message>
    <message>
        <source>Extract Seal from Picture</source>
        <translation>从图片提取印章</translation>
    </message>
    <message>
        <source>Picture:</source>
        <translation>图片:</translation>
    </message>
    <message>
        <source>Custom…</source>
        <translation>自定义…</translation>
    </message>
    <message>
        <source>Ink colour:</source>
        <translation>印泥颜色:</translation>
    </message>
    <message>
        <source>Save as PNG…</source>
        <translation>存为 PNG…</translation>
    </message>
    <message>
        <source>Save as SVG…</source>
        <translation>存为 SVG…</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>Custom %1…</source>
        <translation>自定义 %1…</translation>
    </message>
    <message>
        <source>%1 × %2 mm, %3 dpi%4</source>
        <translation>%1 × %2 毫米，%3 dpi%4</translation>
    </message>
    <message>
        <source> (%1 seals in the picture, the largest shown)</source>
        <translation>（图中共 %1 个印章，显示最大的一个）</translation>
    </message>
    <message>
        <source>Could not write the file &quot;%1&quot;: %2</source>
        <translation>无法写入文件“%1”：%2</translation>
    </message>
    <message>
        <source>SVG vector picture</source>
        <translation>SVG 矢量图</translation>
    </message>
    <message>
        <source>PNG picture</source>
        <translation>PNG 图片</translation>
    </message>
    <message>
        <source>Save Seal</source>
        <translation>保存印章</translation>
    </message>
    <message>
        <source>-seal.</source>
        <translation>-印章.</translation>
    </message>
    <message>
        <source>Saving the seal failed.
%1</source>
        <translation>保存印章失败。
%1</translation>
    </message>
    <message>
        <source>Scans or photos (*.png *.jpg *.jpeg *.tif *.tiff *.bmp)</source>
        <translation>扫描或照片 (*.png *.jpg *.jpeg *.tif *.tiff *.bmp)</translation>
    </message>
    <message>
        <source>Could not read the picture.
%1</source>
        <translation>无法读取图片。
%1</translation>
    </message>
    <message>
        <source>Extract a seal from a picture…</source>
        <translation>从图片提取印章…</translation>
    </message>
</context>
<context>
    <name>plomet::Guard</name>
    <message>
        <source>Out of memory.</source>
        <translation>内存不足。</translation>
    </message>
    <message>
        <source>Unknown error.</source>
        <translation>未知错误。</translation>
    </message>
</context>
<context>
    <name>plomet::Output</name>
    <message>
        <source>The seal has not been drawn yet; there is no picture to output.</source>
        <translation>印章还没有画出来，没有可输出的图片。</translation>
    </message>
    <message>
        <source>Could not open the clipboard.</source>
        <translation>无法打开剪贴板。</translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; does not take jobs now.</source>
        <translation>打印机“%1”现在不接受打印任务。</translation>
    </message>
    <message>
        <source>Could not start printing on the printer &quot;%1&quot;.</source>
        <translation>无法在打印机“%1”上开始打印。</translation>
    </message>
    <message>
        <source>Printing on the printer &quot;%1&quot; failed.</source>
        <translation>打印机“%1”打印失败。</translation>
    </message>
    <message>
        <source>The printer &quot;%1&quot; did not take the job: %2</source>
        <translation>打印机“%1”没有接受打印任务：%2</translation>
    </message>
    <message>
        <source>There is no default printer: install a printer and make it the default first.</source>
        <translation>没有默认打印机：请先安装打印机并把它设为默认打印机。</translation>
    </message>
    <message>
        <source>Could not write the bitmap file &quot;%1&quot;: %2</source>
        <translation>无法写入位图文件“%1”：%2</translation>
    </message>
</context>
<context>
    <name>plomet::frmMain</name>
    <message>
        <source>Could not restore the seal.</source>
        <translation>无法恢复印章。</translation>
    </message>
    <message>
        <source>Save the seal picture as a BMP file</source>
        <translation>把公章图片存为 BMP 文件</translation>
    </message>
    <message>
        <source>Edit the company name, the lines below it, size, font and colour</source>
        <translation>编辑公司名称、附名行、尺寸、字体和颜色</translation>
    </message>
    <message>
        <source>Copy the seal picture to the clipboard</source>
        <translation>把公章图片复制到剪贴板</translation>
    </message>
    <message>
        <source>Print the seal on the default printer</source>
        <translation>用默认打印机打印公章</translation>
    </message>
    <message>
        <source>Open a seal description file (.PMF)</source>
        <translation>打开公章描述文件 (.PMF)</translation>
    </message>
    <message>
        <source>Save the seal as a description file (.PMF)</source>
        <translation>把公章存为描述文件 (.PMF)</translation>
    </message>
    <message>
        <source>Go back to the settings of a new seal</source>
        <translation>回到新公章的设置</translation>
    </message>
    <message>
        <source>Reserved button; pressing it does nothing</source>
        <translation>预留的按钮，按下没有动作</translation>
    </message>
    <message>
        <source>Could not read the seal&apos;s settings.</source>
        <translation>无法读取公章的设置。</translation>
    </message>
    <message>
        <source>Restoring the seal&apos;s initial state failed.</source>
        <translation>恢复印章的初始状态失败。</translation>
    </message>
    <message>
        <source>The default file &quot;%1&quot; could not be read and has been kept unchanged as &quot;%2&quot;.
On closing, the current seal will be written to a new default file.</source>
        <translation>默认文件“%1”无法读取，已原样保留为“%2”。
关闭时当前的印章将写入新的默认文件。</translation>
    </message>
    <message>
        <source>The default file &quot;%1&quot; could not be read, nor kept under another name.
It will not be overwritten on closing; the seal can be saved elsewhere.</source>
        <translation>默认文件“%1”无法读取，也无法改名保留。
关闭时不会覆盖它，印章可以另存到其他位置。</translation>
    </message>
    <message>
        <source>Only seal description files (*.PMF) can be opened here, one at a time.
What was dropped: %1</source>
        <translation>这里只能打开电子公章描述文件(*.PMF)，一次一个。
拖来的是：%1</translation>
    </message>
    <message>
        <source>a picture</source>
        <translation>一张图片</translation>
    </message>
    <message>
        <source>a piece of text</source>
        <translation>一段文字</translation>
    </message>
    <message>
        <source>Drawing the seal failed.</source>
        <translation>绘制印章失败。</translation>
    </message>
    <message>
        <source>Opening the settings window failed.</source>
        <translation>打开设置窗口失败。</translation>
    </message>
    <message>
        <source>Restoring the default values failed.</source>
        <translation>还原默认值失败。</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>还原</translation>
    </message>
    <message>
        <source>Could not show the open file dialog.</source>
        <translation>无法显示打开文件对话框。</translation>
    </message>
    <message>
        <source>Copying the seal picture failed.</source>
        <translation>复制印章图片失败。</translation>
    </message>
    <message>
        <source>Printing the seal failed.</source>
        <translation>打印印章失败。</translation>
    </message>
    <message>
        <source>Saving the seal picture failed.</source>
        <translation>另存印章图片失败。</translation>
    </message>
    <message>
        <source>The default file could not be read nor kept under another name, so it was not overwritten.</source>
        <translation>默认文件无法读取，也无法改名保留，所以没有覆盖它。</translation>
    </message>
    <message>
        <source>Could not save the seal to the default file &quot;%1&quot;:
%2

Save the seal somewhere else?</source>
        <translation>无法把印章保存到默认文件“%1”：
%2

是否把印章保存到其他位置？</translation>
    </message>
    <message>
        <source>Could not show the save file dialog.</source>
        <translation>无法显示保存文件对话框。</translation>
    </message>
</context>
<context>
    <name>plomet::frmOption</name>
    <message>
        <source>Style…</source>
        <translation>样 式…</translation>
    </message>
    <message>
        <source>Preview:</source>
        <translation>预览:</translation>
    </message>
    <message>
        <source>Could not read the seal&apos;s settings.</source>
        <translation>无法读取公章的设置。</translation>
    </message>
    <message>
        <source>Not all settings were applied.</source>
        <translation>设置没有全部应用。</translation>
    </message>
    <message>
        <source>Could not change the colour.</source>
        <translation>无法更改颜色。</translation>
    </message>
    <message>
        <source>Colour</source>
        <translation>颜色</translation>
    </message>
</context>
<context>
    <name>plomet::frmStyle</name>
    <message>
        <source>Style</source>
        <translation>样式</translation>
    </message>
    <message>
        <source>Could not read the seal&apos;s style.</source>
        <translation>无法读取公章的样式。</translation>
    </message>
    <message>
        <source>Ageing</source>
        <translation>做旧</translation>
    </message>
    <message>
        <source>Use</source>
        <translation>套 用</translation>
    </message>
    <message>
        <source>Outer diameter (mm):</source>
        <translation>外径(毫米):</translation>
    </message>
    <message>
        <source>Preset:</source>
        <translation>预设:</translation>
    </message>
    <message>
        <source>Another one</source>
        <translation>换一个</translation>
    </message>
    <message>
        <source>Lengths in millimetres (1.2mm) or twips; font sizes in points.</source>
        <translation>长度可写毫米（1.2mm）或缇；字号为磅。</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>关 闭</translation>
    </message>
    <message>
        <source>There is no preset named &quot;%1&quot;.</source>
        <translation>没有名为“%1”的预设。</translation>
    </message>
    <message>
        <source>Preset &quot;%1&quot; has %2 more items (size, font, centre mark, lines…) written with “应 用”.</source>
        <translation>预设“%1”另有 %2 项（尺寸、字体、中央标志、附名行…）随“应 用”写入。</translation>
    </message>
    <message>
        <source>Could not use the preset.</source>
        <translation>无法套用预设。</translation>
    </message>
    <message>
        <source>Outer diameter: value &quot;%1&quot; is not valid: a number of millimetres from 5 to 500 is wanted</source>
        <translation>外径：值“%1”无效：应为 5 至 500 之间的毫米数</translation>
    </message>
    <message>
        <source>The style was not applied.</source>
        <translation>样式没有应用。</translation>
    </message>
</context>
</TS>
