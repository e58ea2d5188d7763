<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>Cli</name>
    <message>
        <source>missing SCAN (the scanned page to take the seal from)</source>
        <translation>缺少 SCAN(要取出印章的扫描页)</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>多余的参数“%1”</translation>
    </message>
    <message>
        <source>give -o FILE or -d DIR, not both</source>
        <translation>-o FILE 与 -d DIR 只能给一个</translation>
    </message>
    <message>
        <source>missing -o OUT.png|OUT.svg (the image to write)</source>
        <translation>缺少 -o OUT.png|OUT.svg(要写入的图像)</translation>
    </message>
    <message>
        <source>--format wants png or svg, not &apos;%1&apos;</source>
        <translation>--format 须为 png 或 svg,而不是“%1”</translation>
    </message>
    <message>
        <source>--format is for -d; -o takes the format from its extension</source>
        <translation>--format 只用于 -d;-o 按扩展名确定格式</translation>
    </message>
    <message>
        <source>cannot tell the format of &apos;%1&apos; (known: .png, .svg)</source>
        <translation>无法判断“%1”的格式(可用:.png、.svg)</translation>
    </message>
    <message>
        <source>--dpi wants a resolution from 10 to 20000, not &apos;%1&apos;</source>
        <translation>--dpi 须为 10 至 20000 的分辨率,而不是“%1”</translation>
    </message>
    <message>
        <source>--colour wants #RRGGBB, not &apos;%1&apos;</source>
        <translation>--colour 须为 #RRGGBB,而不是“%1”</translation>
    </message>
    <message>
        <source>--colour %1 is grey: seals are told from black print by their colour</source>
        <translation>--colour %1 是灰色:印章靠颜色与黑色印刷区分</translation>
    </message>
    <message>
        <source>--recolour wants #RRGGBB, not &apos;%1&apos;</source>
        <translation>--recolour 须为 #RRGGBB,而不是“%1”</translation>
    </message>
    <message>
        <source>--size wants millimetres from 1 to 1000, not &apos;%1&apos;</source>
        <translation>--size 须为 1 至 1000 毫米,而不是“%1”</translation>
    </message>
    <message>
        <source>warning: %1 records no resolution; taken as %2 dpi (give the scan&apos;s with --dpi)</source>
        <translation>警告:%1 没有记录分辨率,按 %2 dpi 处理(用 --dpi 给出扫描分辨率)</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>无法写入 %1:%2</translation>
    </message>
    <message>
        <source>warning: %1 seals on the page; the largest is written (-d DIR writes each)</source>
        <translation>警告:页面上有 %1 个印章,只写入最大的一个(-d DIR 逐个写入)</translation>
    </message>
    <message>
        <source>cannot make the folder %1</source>
        <translation>无法创建文件夹 %1</translation>
    </message>
    <message>
        <source>not drawn, its image %1 is already %2&apos;s</source>
        <translation>未绘制:其图像 %1 已属于 %2</translation>
    </message>
    <message>
        <source>column %1 (output): &apos;%2&apos; is not a file name</source>
        <translation>第 %1 列(output):“%2”不是文件名</translation>
    </message>
    <message>
        <source>column %1 (%2)</source>
        <translation>第 %1 列(%2)</translation>
    </message>
    <message>
        <source>%1: the table has no rows</source>
        <translation>%1:表格没有数据行</translation>
    </message>
    <message>
        <source>--table wants -d OUTDIR (the folder for its images)</source>
        <translation>--table 需要 -d OUTDIR(图像的文件夹)</translation>
    </message>
    <message>
        <source>give either --table FILE or description files, not both (unexpected &apos;%1&apos;)</source>
        <translation>--table FILE 与描述文件只能给一种(多余的“%1”)</translation>
    </message>
    <message>
        <source>give either -o OUT or -d OUTDIR, not both</source>
        <translation>-o OUT 与 -d OUTDIR 只能给一个</translation>
    </message>
    <message>
        <source>-d OUTDIR wants description files (SEAL.PMF ...)</source>
        <translation>-d OUTDIR 需要描述文件(SEAL.PMF ...)</translation>
    </message>
    <message>
        <source>several description files need -d OUTDIR (unexpected &apos;%1&apos;)</source>
        <translation>多个描述文件需要 -d OUTDIR(多余的“%1”)</translation>
    </message>
    <message>
        <source>missing -o OUT (an image file: %1)</source>
        <translation>缺少 -o OUT(图像文件:%1)</translation>
    </message>
    <message>
        <source>--format is for batches (-d OUTDIR); with -o the extension gives the format</source>
        <translation>--format 只用于批量(-d OUTDIR);-o 按扩展名确定格式</translation>
    </message>
    <message>
        <source>--format wants one of %1, not &apos;%2&apos;</source>
        <translation>--format 须为 %1 之一,而不是“%2”</translation>
    </message>
    <message>
        <source>--dpi wants a positive number, not &apos;%1&apos;</source>
        <translation>--dpi 须为正数,而不是“%1”</translation>
    </message>
    <message>
        <source>cannot make the folder &apos;%1&apos;</source>
        <translation>无法创建文件夹“%1”</translation>
    </message>
    <message>
        <source>--host wants an address, such as 127.0.0.1 or 0.0.0.0</source>
        <translation>--host 须为地址,例如 127.0.0.1 或 0.0.0.0</translation>
    </message>
    <message>
        <source>--%1 wants %2, not &apos;%3&apos;</source>
        <translation>--%1 须为 %2,而不是“%3”</translation>
    </message>
    <message>
        <source>--%1 wants a size in bytes (64K, 32M), not &apos;%2&apos;</source>
        <translation>--%1 须为字节数(64K、32M),而不是“%2”</translation>
    </message>
    <message>
        <source>--%1 is for signing (--sign SEAL.p12)</source>
        <translation>--%1 用于签名(--sign SEAL.p12)</translation>
    </message>
    <message>
        <source>cannot listen on %1 port %2</source>
        <translation>无法在 %1 端口 %2 上监听</translation>
    </message>
    <message>
        <source>unknown preset &apos;%1&apos; (known: %2)</source>
        <translation>未知的预设“%1”(可用:%2)</translation>
    </message>
    <message>
        <source>missing SEAL.PMF (the description file to show)</source>
        <translation>缺少 SEAL.PMF(要显示的描述文件)</translation>
    </message>
    <message>
        <source>cannot write to standard output</source>
        <translation>无法写入标准输出</translation>
    </message>
    <message>
        <source>cannot open the certificate file “%1”: %2</source>
        <translation>无法打开证书文件“%1”：%2</translation>
    </message>
    <message>
        <source>cannot open the password file “%1”: %2</source>
        <translation>无法打开密码文件“%1”：%2</translation>
    </message>
    <message>
        <source>no password: give --password-file FILE or set PLOMET_P12_PASSWORD</source>
        <translation>没有密码:请给出 --password-file FILE 或设置 PLOMET_P12_PASSWORD</translation>
    </message>
    <message>
        <source>Certificate password: </source>
        <translation>证书密码：</translation>
    </message>
    <message>
        <source>Again: </source>
        <translation>再输一次：</translation>
    </message>
    <message>
        <source>the two passwords differ</source>
        <translation>两次输入的密码不同</translation>
    </message>
    <message>
        <source>missing FILE.pdf (the document to check)</source>
        <translation>缺少 FILE.pdf(要检查的文档)</translation>
    </message>
    <message>
        <source>cannot open the file “%1”: %2</source>
        <translation>无法打开文件“%1”：%2</translation>
    </message>
    <message>
        <source>Signature field: %1
</source>
        <translation>签名域:%1
</translation>
    </message>
    <message>
        <source>  Signer: %1
</source>
        <translation>  签名者:%1
</translation>
    </message>
    <message>
        <source>  Signing time: %1
</source>
        <translation>  签名时间:%1
</translation>
    </message>
    <message>
        <source>  Type: %1, hash %2
</source>
        <translation>  类型:%1,哈希 %2
</translation>
    </message>
    <message>
        <source>  Signed bytes: intact
</source>
        <translation>  签名字节:完好
</translation>
    </message>
    <message>
        <source>  Signed bytes: NOT intact (%1)
</source>
        <translation>  签名字节:不完好(%1)
</translation>
    </message>
    <message>
        <source>  Covers: the whole file
</source>
        <translation>  覆盖:整个文件
</translation>
    </message>
    <message>
        <source>  Covers: a revision; %1 bytes of later revisions follow
</source>
        <translation>  覆盖:一个修订版;其后还有 %1 字节的后续修订
</translation>
    </message>
    <message>
        <source>  Certificate chain: trusted
</source>
        <translation>  证书链:受信任
</translation>
    </message>
    <message>
        <source>  Certificate chain: not trusted (%1)
</source>
        <translation>  证书链:不受信任(%1)
</translation>
    </message>
    <message>
        <source>“%1” has no digital signatures</source>
        <translation>“%1”没有数字签名</translation>
    </message>
    <message>
        <source>missing what to do: plomet cert new</source>
        <translation>缺少操作:plomet cert new</translation>
    </message>
    <message>
        <source>missing --name NAME (the certificate&apos;s name)</source>
        <translation>缺少 --name NAME(证书的名称)</translation>
    </message>
    <message>
        <source>missing -o SEAL.p12 (the file to write)</source>
        <translation>缺少 -o SEAL.p12(要写入的文件)</translation>
    </message>
    <message>
        <source>--days wants a whole number from 1 to 36500, not &apos;%1&apos;</source>
        <translation>--days 须为 1 至 36500 的整数,而不是“%1”</translation>
    </message>
    <message>
        <source>missing IN.pdf (the document to stamp)</source>
        <translation>缺少 IN.pdf(要盖章的文档)</translation>
    </message>
    <message>
        <source>missing -o OUT.pdf (the stamped document to write)</source>
        <translation>缺少 -o OUT.pdf(要写入的盖章文档)</translation>
    </message>
    <message>
        <source>--at is for a single seal; a cross-page seal takes --at-y Y</source>
        <translation>--at 用于单个印章;骑缝章用 --at-y Y</translation>
    </message>
    <message>
        <source>--at-y wants millimetres, not &apos;%1&apos;</source>
        <translation>--at-y 须为毫米数,而不是“%1”</translation>
    </message>
    <message>
        <source>--straddle-max wants a whole number of pages of at least 1, not &apos;%1&apos;</source>
        <translation>--straddle-max 须为至少 1 的整页数,而不是“%1”</translation>
    </message>
    <message>
        <source>--edge wants right or left, not &apos;%1&apos;</source>
        <translation>--edge 须为 right 或 left,而不是“%1”</translation>
    </message>
    <message>
        <source>--first-strip wants a positive width in mm, not &apos;%1&apos;</source>
        <translation>--first-strip 须为正的毫米宽度,而不是“%1”</translation>
    </message>
    <message>
        <source>--inset wants a distance in mm of at least 0, not &apos;%1&apos;</source>
        <translation>--inset 须为至少 0 的毫米距离,而不是“%1”</translation>
    </message>
    <message>
        <source>--%1 is for a cross-page seal (--straddle)</source>
        <translation>--%1 用于骑缝章(--straddle)</translation>
    </message>
    <message>
        <source>missing --at X,Y (the seal&apos;s centre in mm from the page&apos;s top-left corner) or --straddle</source>
        <translation>缺少 --at X,Y(印章中心距页面左上角的毫米数)或 --straddle</translation>
    </message>
    <message>
        <source>--at wants X,Y in millimetres, not &apos;%1&apos;</source>
        <translation>--at 须为以毫米计的 X,Y,而不是“%1”</translation>
    </message>
    <message>
        <source>--angle wants degrees, not &apos;%1&apos;</source>
        <translation>--angle 须为角度,而不是“%1”</translation>
    </message>
    <message>
        <source>missing SEAL.PMF (the description file to write)</source>
        <translation>缺少 SEAL.PMF(要写入的描述文件)</translation>
    </message>
    <message>
        <source>ShowDate is not kept in description files</source>
        <translation>描述文件不保存 ShowDate</translation>
    </message>
    <message>
        <source>Usage: plomet &lt;command&gt; [options]

Commands:
</source>
        <translation>用法:plomet &lt;命令&gt; [选项]

命令:
</translation>
    </message>
    <message>
        <source>
Exit codes: 0 success, 1 the seal could not be read, drawn or written,
2 bad command line.

`plomet &lt;command&gt; --help` shows one command and its options;
`plomet --help-all` shows every command&apos;s.
</source>
        <translation>
退出码:0 成功,1 印章无法读取、绘制或写入,2 命令行有误。

`plomet &lt;命令&gt; --help` 显示一个命令及其选项;
`plomet --help-all` 显示所有命令的。
</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos; (known: %2)</source>
        <translation>未知的命令“%1”(可用:%2)</translation>
    </message>
    <message>
        <source>cannot write the file “%1”: %2</source>
        <translation>无法写入文件“%1”：%2</translation>
    </message>
    <message>
        <source>%1:1: column %2: &apos;%3&apos; is no property (known: %4)</source>
        <translation>%1:1:第 %2 列:“%3”不是属性(可用:%4)</translation>
    </message>
    <message>
        <source>give either --table FILE or IN.pdf, not both (unexpected &apos;%1&apos;)</source>
        <translation>--table FILE 与 IN.pdf 只能给一种(多余的“%1”)</translation>
    </message>
    <message>
        <source>with --table the output column names each document, not -o</source>
        <translation>用 --table 时由 output 列给出每个文档,而不是 -o</translation>
    </message>
    <message>
        <source>no input document (an input column)</source>
        <translation>没有输入文档(input 列)</translation>
    </message>
    <message>
        <source>no output document (an output column)</source>
        <translation>没有输出文档(output 列)</translation>
    </message>
    <message>
        <source>wants X,Y in millimetres, not &apos;%1&apos;</source>
        <translation>须为以毫米计的 X,Y,而不是“%1”</translation>
    </message>
    <message>
        <source>no place for the seal (an at column, or --at X,Y)</source>
        <translation>没有印章的位置(at 列,或 --at X,Y)</translation>
    </message>
    <message>
        <source>not stamped, its output %1 is already %2&apos;s</source>
        <translation>未盖章:其输出 %1 已属于 %2</translation>
    </message>
    <message>
        <source>--invert is for engravings: give --engrave with it</source>
        <translation>--invert 用于雕刻输出:请同时给出 --engrave</translation>
    </message>
    <message>
        <source>--engrave makes SVG or PDF outlines, not %1 (write .svg or .pdf)</source>
        <translation>--engrave 输出 SVG 或 PDF 轮廓,不能输出 %1(请写 .svg 或 .pdf)</translation>
    </message>
    <message>
        <source>--seal-image stamps a picture; %1 is for a drawn seal (give one or the other)</source>
        <translation>--seal-image 盖的是图片;%1 用于绘制的印章(二者只能给出其一)</translation>
    </message>
    <message>
        <source>--seal-image wants an .svg or .png file, not &apos;%1&apos;</source>
        <translation>--seal-image 需要 .svg 或 .png 文件,而不是“%1”</translation>
    </message>
    <message>
        <source>--seal-image stamps a picture; the table&apos;s property columns are for a drawn seal</source>
        <translation>--seal-image 盖的是图片;表格的属性列用于绘制的印章</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>内存不足</translation>
    </message>
    <message>
        <source>the server is busy (every drawing thread works and %1 requests wait); try again</source>
        <translation>服务器繁忙(所有绘制线程都在工作,另有 %1 个请求在等待);请稍后再试</translation>
    </message>
    <message>
        <source>the seal was not drawn within %1 s</source>
        <translation>印章未能在 %1 秒内绘制完成</translation>
    </message>
    <message>
        <source>the body is larger than %1 bytes</source>
        <translation>请求体超过 %1 字节</translation>
    </message>
    <message>
        <source>Content-Length wants a number of bytes</source>
        <translation>Content-Length 须为字节数</translation>
    </message>
    <message>
        <source>the body did not arrive within %1 s</source>
        <translation>请求体未在 %1 秒内收到</translation>
    </message>
    <message>
        <source>the body could not be read</source>
        <translation>无法读取请求体</translation>
    </message>
    <message>
        <source>no format &apos;%1&apos; (known: %2)</source>
        <translation>没有格式“%1”(可用:%2)</translation>
    </message>
    <message>
        <source>the body wants the PDF document to stamp</source>
        <translation>请求体须为要盖章的 PDF 文档</translation>
    </message>
    <message>
        <source>document</source>
        <comment>the PDF a request sends, named in messages</comment>
        <translation>文档</translation>
    </message>
    <message>
        <source>%1 does not take %2, only %3</source>
        <translation>%1 不接受 %2,只接受 %3</translation>
    </message>
    <message>
        <source>the request cannot be read</source>
        <translation>无法读取请求</translation>
    </message>
    <message>
        <source>no such path (GET /seal.png, /seal.bmp, /seal.svg, /seal.pdf, /properties, /health; POST /render, /stamp)</source>
        <translation>没有此路径(GET /seal.png、/seal.bmp、/seal.svg、/seal.pdf、/properties、/health;POST /render、/stamp)</translation>
    </message>
    <message>
        <source>the path does not take this method</source>
        <translation>该路径不接受此方法</translation>
    </message>
    <message>
        <source>the request is larger than allowed</source>
        <translation>请求超过允许的大小</translation>
    </message>
    <message>
        <source>the request&apos;s path and query are too long</source>
        <translation>请求的路径和查询过长</translation>
    </message>
    <message>
        <source>the range cannot be served</source>
        <translation>无法提供该范围</translation>
    </message>
    <message>
        <source>the request&apos;s headers are too large</source>
        <translation>请求头过大</translation>
    </message>
    <message>
        <source>internal error</source>
        <translation>内部错误</translation>
    </message>
    <message>
        <source>HTTP status %1</source>
        <translation>HTTP 状态 %1</translation>
    </message>
    <message>
        <source>the request&apos;s headers did not arrive within %1 s</source>
        <translation>请求头未在 %1 秒内收到</translation>
    </message>
    <message>
        <source>the request&apos;s headers are longer than %1 bytes or %2 lines</source>
        <translation>请求头超过 %1 字节或 %2 行</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>已停止</translation>
    </message>
    <message>
        <source>a parameter name is not UTF-8</source>
        <translation>参数名不是 UTF-8</translation>
    </message>
    <message>
        <source>%1: the value is not UTF-8</source>
        <translation>%1:值不是 UTF-8</translation>
    </message>
    <message>
        <source>dpi wants a positive number, not &apos;%1&apos;</source>
        <translation>dpi 须为正数,而不是“%1”</translation>
    </message>
    <message>
        <source>unknown property &apos;%1&apos; (GET /properties lists them)</source>
        <translation>未知的属性“%1”(GET /properties 列出所有属性)</translation>
    </message>
    <message>
        <source>the image would have %1 million pixels; at most %2 million are served</source>
        <translation>图像将有 %1 百万像素;最多提供 %2 百万像素</translation>
    </message>
    <message>
        <source>%1 given more than once</source>
        <translation>%1 给出了不止一次</translation>
    </message>
    <message>
        <source>transparent wants true or false, not &apos;%1&apos;</source>
        <translation>transparent 须为 true 或 false,而不是“%1”</translation>
    </message>
    <message>
        <source>the body is not JSON: %1 at byte %2</source>
        <translation>请求体不是 JSON:%1(第 %2 字节处)</translation>
    </message>
    <message>
        <source>the body wants a JSON object</source>
        <translation>请求体须为 JSON 对象</translation>
    </message>
    <message>
        <source>properties wants an object of NAME: VALUE</source>
        <translation>properties 须为 NAME: VALUE 的对象</translation>
    </message>
    <message>
        <source>%1 wants a string, a number or true/false</source>
        <translation>%1 须为字符串、数字或 true/false</translation>
    </message>
    <message>
        <source>preset wants a string</source>
        <translation>preset 须为字符串</translation>
    </message>
    <message>
        <source>format wants one of %1</source>
        <translation>format 须为 %1 之一</translation>
    </message>
    <message>
        <source>dpi wants a number</source>
        <translation>dpi 须为数字</translation>
    </message>
    <message>
        <source>transparent wants true or false</source>
        <translation>transparent 须为 true 或 false</translation>
    </message>
    <message>
        <source>unknown key &apos;%1&apos; (known: properties, preset, format, dpi, transparent)</source>
        <translation>未知的键“%1”(可用:properties、preset、format、dpi、transparent)</translation>
    </message>
    <message>
        <source>%1 wants true or false, not &apos;%2&apos;</source>
        <translation>%1 须为 true 或 false,而不是“%2”</translation>
    </message>
    <message>
        <source>%1 wants %2 in mm, not &apos;%3&apos;</source>
        <translation>%1 须为%2(毫米),而不是“%3”</translation>
    </message>
    <message>
        <source>a positive width</source>
        <translation>正的宽度</translation>
    </message>
    <message>
        <source>a distance of at least 0</source>
        <translation>不小于 0 的距离</translation>
    </message>
    <message>
        <source>a position</source>
        <translation>位置</translation>
    </message>
    <message>
        <source>at is for a single seal; a cross-page seal takes at-y</source>
        <translation>at 用于单个印章;骑缝章用 at-y</translation>
    </message>
    <message>
        <source>straddle-max wants a whole number of pages of at least 1</source>
        <translation>straddle-max 须为不小于 1 的整数页数</translation>
    </message>
    <message>
        <source>edge wants right or left</source>
        <translation>edge 须为 right 或 left</translation>
    </message>
    <message>
        <source>%1 is for a cross-page seal (straddle)</source>
        <translation>%1 用于骑缝章(straddle)</translation>
    </message>
    <message>
        <source>missing at=X,Y (the seal&apos;s centre in mm from the page&apos;s top-left corner) or straddle</source>
        <translation>缺少 at=X,Y(印章中心距页面左上角的毫米数)或 straddle</translation>
    </message>
    <message>
        <source>at wants X,Y in millimetres, not &apos;%1&apos;</source>
        <translation>at 须为以毫米计的 X,Y,而不是“%1”</translation>
    </message>
    <message>
        <source>angle wants degrees, not &apos;%1&apos;</source>
        <translation>angle 须为角度,而不是“%1”</translation>
    </message>
    <message>
        <source>a TCP port from 0 to 65535</source>
        <translation>0 至 65535 的 TCP 端口</translation>
    </message>
    <message>
        <source>a number of threads from 1 to 256</source>
        <translation>1 至 256 的线程数</translation>
    </message>
    <message>
        <source>a number of requests from 0 to 100000</source>
        <translation>0 至 100000 的请求数</translation>
    </message>
    <message>
        <source>a number of connections from 1 to 4096</source>
        <translation>1 至 4096 的连接数</translation>
    </message>
    <message>
        <source>seconds from 1 to 3600</source>
        <translation>1 至 3600 的秒数</translation>
    </message>
    <message>
        <source>cannot start %1: %2</source>
        <translation>无法启动 %1：%2</translation>
    </message>
    <message>
        <source>%1 is not installed (it reads, stamps and signs PDF documents)</source>
        <translation>没有安装 %1（它负责读取 PDF 文档、盖章和签名）</translation>
    </message>
</context>
<context>
    <name>Commands</name>
    <message>
        <source>Usage: plomet extract SCAN -o OUT.png|OUT.svg [options]
       plomet extract SCAN -d OUTDIR [--format png|svg] [options]

Takes the seal off a scanned or photographed page (PNG, JPEG, TIFF or
BMP): its ink found by colour, the black and grey print under and around
it removed, cropped with a margin of 1 mm. PNG keeps the ink&apos;s strength
as alpha (worn ink and soft edges stay) on a transparent background and
records the scan&apos;s resolution, so the seal keeps its size in mm; SVG
traces the ink to paths at the same size. With -o the largest seal on
the page is written; with -d every seal, largest first, as
OUTDIR/&lt;scan&gt;-1.png, &lt;scan&gt;-2.png, ...
</source>
        <translation>用法:plomet extract SCAN -o OUT.png|OUT.svg [选项]
      plomet extract SCAN -d OUTDIR [--format png|svg] [选项]

从扫描或拍摄的页面(PNG、JPEG、TIFF 或 BMP)上取出印章:按颜色找出
印泥,去掉其下及周围的黑色和灰色印刷,留 1 毫米边距裁切。PNG 以
alpha 保留印泥的浓淡(磨损和柔和边缘保留),背景透明,并记录扫描
分辨率,使印章保持其毫米尺寸;SVG 将印泥描成同样大小的路径。用 -o
写入页面上最大的印章;用 -d 写入每个印章,从大到小,文件名为
OUTDIR/&lt;scan&gt;-1.png、&lt;scan&gt;-2.png、……
</translation>
    </message>
    <message>
        <source>Refused with one line and no file written: a file that is not one of
the four formats or is damaged, a picture above 100 million pixels, a
picture with no ink of the seal&apos;s colour.
Exit codes: 0 written, 1 refused or failed, 2 bad command line.
</source>
        <translation>拒绝时输出一行且不写文件:不是这四种格式或已损坏的文件、超过一亿
像素的图片、没有印章颜色印泥的图片。
退出码:0 已写入,1 被拒绝或失败,2 命令行有误。
</translation>
    </message>
    <message>
        <source>draw a seal and write it as an image (PNG, BMP, SVG, PDF)</source>
        <translation>绘制印章并写成图像(PNG、BMP、SVG、PDF)</translation>
    </message>
    <message>
        <source>print the settings of a seal description file</source>
        <translation>显示印章描述文件的设置</translation>
    </message>
    <message>
        <source>write a seal description file</source>
        <translation>写入印章描述文件</translation>
    </message>
    <message>
        <source>stamp a seal onto pages of a PDF document, or sign it with the seal</source>
        <translation>把印章盖到 PDF 文档的页面上,或用印章签名</translation>
    </message>
    <message>
        <source>check the digital signatures of a PDF document</source>
        <translation>检查 PDF 文档的数字签名</translation>
    </message>
    <message>
        <source>make a self-signed seal certificate for trying signing out</source>
        <translation>生成用于试用签名的自签名印章证书</translation>
    </message>
    <message>
        <source>take a seal off a scanned page as a transparent image (PNG, SVG)</source>
        <translation>从扫描页上取出印章,存为透明图像(PNG、SVG)</translation>
    </message>
    <message>
        <source>answer HTTP requests for seals (a stateless service)</source>
        <translation>回答印章的 HTTP 请求(无状态服务)</translation>
    </message>
    <message>
        <source>Usage: plomet render [SEAL.PMF] -o OUT [options]
       plomet render SEAL.PMF... -d OUTDIR [--format png|bmp|svg|pdf] [options]
       plomet render --table FILE.csv -d OUTDIR [options]

Draws a brand-new seal (2055 x 2055 twips), or the seal that the
description file SEAL.PMF describes (its size from the file), and writes
it to OUT; the format follows OUT&apos;s extension (.png .bmp .svg .pdf).
With -d, every SEAL.PMF given is drawn to OUTDIR/&lt;name&gt;.&lt;format&gt; (PNG
unless --format says otherwise), on all cores; a file that fails is
reported on one line and the others are still drawn. A table&apos;s optional
&apos;output&apos; column names the images (else the row&apos;s number).
</source>
        <translation>用法:plomet render [SEAL.PMF] -o OUT [选项]
      plomet render SEAL.PMF... -d OUTDIR [--format png|bmp|svg|pdf] [选项]
      plomet render --table FILE.csv -d OUTDIR [选项]

绘制一个全新的印章(2055 x 2055 缇),或描述文件 SEAL.PMF 所描述的
印章(尺寸取自文件),写入 OUT;格式由 OUT 的扩展名决定(.png .bmp
.svg .pdf)。用 -d 时,每个给出的 SEAL.PMF 都绘制到
OUTDIR/&lt;名称&gt;.&lt;格式&gt;(除非 --format 另指,否则为 PNG),使用所有
核心;失败的文件报告一行,其余照常绘制。表格可选的“output”列给出
图像的名称(否则用行号)。
</translation>
    </message>
    <message>
        <source>A character that no installed face can draw, and a face style with no
installed face (仿宋 on Debian: drawn as 宋体), are named on stderr (as a
warning; the image is still written).
Nothing is written for a seal that fails; an existing file stays as it
was. Exit codes: 0 all written, 1 a seal could not be read, drawn or
written (in a batch: at least one), 2 bad command line.

Properties (--set NAME=VALUE; new seal: the value a brand-new seal has):
</source>
        <translation>没有已安装字体能绘制的字符,以及没有已安装字体的字体样式(Debian 上
的仿宋:以宋体绘制),会在 stderr 上指出(作为警告;图像仍会写入)。
失败的印章不写任何内容;已有文件保持原样。退出码:0 全部写入,1 有
印章无法读取、绘制或写入(批量时:至少一个),2 命令行有误。

属性(--set NAME=VALUE;新印章:全新印章的值):
</translation>
    </message>
    <message>
        <source>Each request is logged on stderr: client, method, path, status, bytes, ms.
The first line says where it listens: &quot;plomet: serving on http://HOST:PORT&quot;.
Exit codes: 0 stopped by a signal, 1 cannot listen, 2 bad command line.
</source>
        <translation>每个请求在 stderr 上记录一行:客户端、方法、路径、状态、字节数、毫秒。
第一行说明监听地址:&quot;plomet: serving on http://HOST:PORT&quot;。
退出码:0 被信号停止,1 无法监听,2 命令行有误。
</translation>
    </message>
    <message>
        <source>Usage: plomet show SEAL.PMF [--json]

Prints the values of a seal description file, one NAME=VALUE a line in
file order, numbers and True/False as the file writes them: the fifteen
classic values, then the later properties the file sets and any lines of
keys this version does not know.
</source>
        <translation>用法:plomet show SEAL.PMF [--json]

显示印章描述文件的值,按文件顺序每行一个 NAME=VALUE,数字和
True/False 与文件中的写法相同:先是十五个经典值,然后是文件设置的
后续属性,以及本版本不认识的键的行。
</translation>
    </message>
    <message>
        <source>A file that cannot be read gives one line on stderr and exit code 1
(2 for a bad command line).
</source>
        <translation>无法读取的文件在 stderr 上输出一行,退出码为 1(命令行有误为 2)。
</translation>
    </message>
    <message>
        <source>Usage: plomet verify FILE.pdf [--json] [--trust CERT.pem]

Checks every digital signature of FILE.pdf: the signature field, the
signer&apos;s certificate subject, the signing time, the hash, whether the
signed bytes are intact, whether the signature covers the whole file or
later revisions follow it, and whether the signer&apos;s certificate chain
leads to a trusted certificate (the system&apos;s store, or --trust).
</source>
        <translation>用法:plomet verify FILE.pdf [--json] [--trust CERT.pem]

检查 FILE.pdf 的每个数字签名:签名域、签名者证书的主题、签名时间、
哈希、签名的字节是否完好、签名覆盖整个文件还是其后另有修订,以及
签名者的证书链是否通向受信任的证书(系统的证书库,或 --trust)。
</translation>
    </message>
    <message>
        <source>Exit codes: 0 every signature intact, 1 a signature is not intact, the
file has none, or it cannot be read; 2 bad command line.
</source>
        <translation>退出码:0 每个签名都完好,1 有签名不完好、文件没有签名或无法读取;
2 命令行有误。
</translation>
    </message>
    <message>
        <source>Usage: plomet cert new --name NAME -o SEAL.p12 [--days N] [--password-file FILE]

Makes a new RSA key and a SELF-SIGNED certificate for it (subject CN and
O the name, in UTF-8, key usage digitalSignature and nonRepudiation), and
writes both as PKCS#12 protected by a password. This certificate is NOT
issued by a certification authority: it is for trying electronic seals
out, and readers report its signatures as not trusted.
</source>
        <translation>用法:plomet cert new --name NAME -o SEAL.p12 [--days N]
      [--password-file FILE]

生成新的 RSA 密钥及其自签名(SELF-SIGNED)证书(主题 CN 和 O 为该
名称,UTF-8,密钥用途 digitalSignature 和 nonRepudiation),两者写成
以密码保护的 PKCS#12。此证书并非(NOT)由证书颁发机构签发:仅用于
试用电子印章,阅读器会报告其签名不受信任。
</translation>
    </message>
    <message>
        <source>The password comes from --password-file, else the environment variable
PLOMET_P12_PASSWORD, else it is asked on the terminal (twice, not shown).
Exit codes: 0 written, 1 failed, 2 bad command line.
</source>
        <translation>密码取自 --password-file,否则取环境变量 PLOMET_P12_PASSWORD,否则在
终端上询问(两次,不显示)。
退出码:0 已写入,1 失败,2 命令行有误。
</translation>
    </message>
    <message>
        <source>Signing (an electronic seal, --sign): the seal becomes the visible
appearance of a PAdES signature (ETSI.CAdES.detached, SHA-256) over the
document. A cross-page seal signs as one signature field whose widget is
the first page&apos;s strip; the other strips are in their pages&apos; content,
covered by the same signature.

A document that is already signed gets the seal (signed or not) as an
incremental update after its bytes, which stay as they were: earlier
signatures stay valid.

Refused with one line and no file written: a file that is not a PDF, a
damaged one that cannot be repaired (a repaired one goes through with a
warning), one that needs a password, one whose permissions forbid
changes, a page out of range, a seal that falls entirely outside the
page; for signing also a wrong password, a file that is not PKCS#12, an
expired certificate or one not for signing, an encrypted document, and a
signed one whose cross-reference cannot be followed to append to.
Exit codes: 0 written, 1 refused or failed, 2 bad command line.
</source>
        <translation>签名(电子印章,--sign):印章成为覆盖整个文档的 PAdES 签名
(ETSI.CAdES.detached,SHA-256)的可见外观。骑缝章作为一个签名域签名,
其控件为第一页的条带;其余条带在各自页面的内容中,由同一签名覆盖。

已签名的文档以增量更新的方式在其字节之后加上印章(无论是否签名),
原有字节保持不变:先前的签名仍然有效。

拒绝时输出一行且不写文件:不是 PDF 的文件、无法修复的损坏文件(可
修复的会带警告通过)、需要密码的文件、权限禁止修改的文件、超出范围
的页码、完全落在页面之外的印章;签名时还有:密码错误、不是 PKCS#12
的文件、已过期或不能用于签名的证书、加密的文档,以及交叉引用无法
追踪而无法追加的已签名文档。
退出码:0 已写入,1 被拒绝或失败,2 命令行有误。
</translation>
    </message>
    <message>
        <source>Usage: plomet write SEAL.PMF [--from OTHER.PMF] [--preset NAME]
                    [--set NAME=VALUE]...

Writes a seal description file: a brand-new seal, or the seal of
OTHER.PMF, then the preset, then the settings in order. The file is replaced
whole or not at all. Lengths in --set are twips or millimetres (42mm);
ShowDate is not kept in description files.
</source>
        <translation>用法:plomet write SEAL.PMF [--from OTHER.PMF] [--preset NAME]
                    [--set NAME=VALUE]...

写入印章描述文件:一个全新的印章,或 OTHER.PMF 的印章,然后依次应用
预设和各项设置。文件要么整个替换,要么不动。--set 中的长度为缇或
毫米(42mm);描述文件不保存 ShowDate。
</translation>
    </message>
    <message>
        <source>On any error nothing is written, one line goes to stderr, and the exit
code is 1 (2 for a bad command line).
</source>
        <translation>出错时不写任何内容,在 stderr 上输出一行,退出码为 1(命令行有误为 2)。
</translation>
    </message>
    <message>
        <source>Usage: plomet stamp IN.pdf -o OUT.pdf [SEAL.PMF] [--preset NAME]
           [--set NAME=VALUE]...
           (--at X,Y [--angle DEG] | --straddle [options]) [--page LIST]
       plomet stamp --table FILE.csv [options]

Stamps a brand-new seal, or the seal that SEAL.PMF describes, onto pages
of IN.pdf and writes OUT.pdf (which may be IN.pdf; IN.pdf itself is never
changed). The seal goes in as vectors at its true size, without
background, its ink multiplied onto the page so that text under it stays
readable. Positions are millimetres from the top-left corner of the page
as a reader sees it (inside the crop box, after the page&apos;s rotation).
Options named cross-page are for --straddle. With --table, one document
a row: the columns input, output, page and at (X,Y in mm) and the seal&apos;s
properties; a row&apos;s empty cell takes the option&apos;s value; a bad row is
named with its line and column and the others are still stamped.
</source>
        <translation>用法:plomet stamp IN.pdf -o OUT.pdf [SEAL.PMF] [--preset NAME]
           [--set NAME=VALUE]...
           (--at X,Y [--angle DEG] | --straddle [选项]) [--page LIST]
      plomet stamp --table FILE.csv [选项]

把一个全新的印章,或 SEAL.PMF 所描述的印章,盖到 IN.pdf 的页面上并
写入 OUT.pdf(可以就是 IN.pdf;IN.pdf 本身从不改动)。印章以矢量按
实际尺寸放入,没有背景,印泥以正片叠底方式印在页面上,其下文字
仍可阅读。位置是距页面左上角的毫米数,按读者所见(在裁切框内,
页面旋转之后)。标为骑缝的选项用于 --straddle。用 --table 时每行一
个文档:input、output、page 和 at(以毫米计的 X,Y)列及印章的属性;
行中的空单元格取选项的值;有误的行给出其行号和列号,其余照常盖章。
</translation>
    </message>
    <message>
        <source>Usage: plomet serve [--host 127.0.0.1] [--port 8080] [--threads N] [options]

Answers HTTP requests for seals until SIGTERM or SIGINT, which let the
requests in flight finish before the program exits. It keeps no state
between requests: run as many as you like behind a load balancer.

  GET  /seal.png|.bmp|.svg|.pdf?NAME=VALUE&amp;...  a seal; NAME a property
       (as --set takes it, any letter case), or preset, dpi, transparent;
       the same bytes as plomet render with those settings
  POST /render   JSON {&quot;properties&quot;: {NAME: VALUE, ...}, &quot;preset&quot;: ...,
       &quot;format&quot;: &quot;png&quot;, &quot;dpi&quot;: 300, &quot;transparent&quot;: false}
  POST /stamp?at=X,Y&amp;page=...&amp;NAME=VALUE...  the body a PDF document; the
       answer the stamped document (placement keys as plomet stamp&apos;s options:
       page, at, angle, straddle, at-y, straddle-max, edge, first-strip,
       inset, force)
  GET  /properties   the property table as JSON
  GET  /health       {&quot;status&quot;: &quot;ok&quot;, ...}

Failures are JSON {&quot;error&quot;: ..., &quot;property&quot;: ...}: 400 a bad value or
body, 404 no such path, 405 a method the path does not take, 408 headers
or a body not received in time, 413 a body over its limit, 431 headers
over 256 KiB or 4096 lines, 503 the queue is full or the drawing took
too long.
</source>
        <translation>用法:plomet serve [--host 127.0.0.1] [--port 8080] [--threads N] [选项]

回答印章的 HTTP 请求,直到收到 SIGTERM 或 SIGINT;收到后先完成处理中
的请求再退出。请求之间不保存状态:可在负载均衡器后运行任意多个。

  GET  /seal.png|.bmp|.svg|.pdf?NAME=VALUE&amp;...  一个印章;NAME 为属性
       (同 --set,不区分大小写),或 preset、dpi、transparent;
       与相同设置的 plomet render 字节相同
  POST /render   JSON {&quot;properties&quot;: {NAME: VALUE, ...}, &quot;preset&quot;: ...,
       &quot;format&quot;: &quot;png&quot;, &quot;dpi&quot;: 300, &quot;transparent&quot;: false}
  POST /stamp?at=X,Y&amp;page=...&amp;NAME=VALUE...  请求体为 PDF 文档;回答为
       盖章后的文档(放置参数同 plomet stamp 的选项:page、at、angle、
       straddle、at-y、straddle-max、edge、first-strip、inset、force)
  GET  /properties   属性表的 JSON
  GET  /health       {&quot;status&quot;: &quot;ok&quot;, ...}

失败时回答 JSON {&quot;error&quot;: ..., &quot;property&quot;: ...}:400 值或请求体有误,
404 无此路径,405 路径不接受该方法,408 请求头或请求体未按时收到,413 请求体
超过上限,431 请求头超过 256 KiB 或 4096 行,503 队列已满或绘制超时。
</translation>
    </message>
</context>
<context>
    <name>Formats</name>
    <message>
        <source>only %1 of %2 bytes were written; the disk may be full</source>
        <translation>只写入了 %1 字节(共 %2 字节),磁盘可能已满</translation>
    </message>
    <message>
        <source>the seal&apos;s size is 0: there is no picture to export</source>
        <translation>印章大小为 0，没有可导出的图像</translation>
    </message>
    <message>
        <source>cannot make the PNG picture</source>
        <translation>无法生成 PNG 图像</translation>
    </message>
    <message>
        <source>cannot make the %1 picture: %2</source>
        <translation>无法生成 %1 图像：%2</translation>
    </message>
    <message>
        <source>cannot make the wear mask picture: %1</source>
        <translation>无法生成磨损蒙版图像：%1</translation>
    </message>
    <message>
        <source>cannot make the SVG picture</source>
        <translation>无法生成 SVG 图像</translation>
    </message>
    <message>
        <source>cannot make the PDF file</source>
        <translation>无法生成 PDF 文件</translation>
    </message>
    <message>
        <source>cannot make the PDF file: %1</source>
        <translation>无法生成 PDF 文件：%1</translation>
    </message>
    <message>
        <source>PNG picture</source>
        <translation>PNG 图片</translation>
    </message>
    <message>
        <source>BMP bitmap</source>
        <translation>BMP 位图</translation>
    </message>
    <message>
        <source>SVG vector picture</source>
        <translation>SVG 矢量图</translation>
    </message>
    <message>
        <source>PDF document</source>
        <translation>PDF 文档</translation>
    </message>
    <message>
        <source>cannot tell the picture format of “%1” from its name (known extensions: %2)</source>
        <translation>无法识别文件“%1”的图像格式（已知扩展名：%2）</translation>
    </message>
    <message>
        <source>unknown picture format “%1” (known: %2)</source>
        <translation>未知的图像格式“%1”（已知：%2）</translation>
    </message>
    <message>
        <source>cannot write the file “%1”: %2</source>
        <translation>无法写入文件“%1”：%2</translation>
    </message>
    <message>
        <source>line %1 (%2): %3</source>
        <translation>第 %1 行(%2):%3</translation>
    </message>
    <message>
        <source>line %1: %2</source>
        <translation>第 %1 行:%2</translation>
    </message>
    <message>
        <source>%1 holds a line break and cannot be written to a description file: it would upset the lines after it.</source>
        <translation>%1 含有换行符,无法写入描述文件:它会打乱后面的各行。</translation>
    </message>
    <message>
        <source>%1 holds a null character (U+0000) and cannot be written to a description file.</source>
        <translation>%1 含有空字符(U+0000),无法写入描述文件。</translation>
    </message>
    <message>
        <source>%1 cannot be written to a description file: %2.</source>
        <translation>%1 无法写入描述文件:%2。</translation>
    </message>
    <message>
        <source>the value %2 of %1 is not a finite number and cannot be written to a description file.</source>
        <translation>%1 的值 %2 不是有限的数,无法写入描述文件。</translation>
    </message>
    <message>
        <source>The file format is not correct!</source>
        <translation>文件格式不正确!</translation>
    </message>
    <message>
        <source>byte %1 is a null byte: this is not a text file</source>
        <translation>第 %1 个字节是空字节:这不是文本文件</translation>
    </message>
    <message>
        <source>byte %1, 0x%2, is not valid GBK</source>
        <translation>第 %1 个字节 0x%2 不是有效的 GBK 编码</translation>
    </message>
    <message>
        <source>the description file would have %1 bytes, over the limit of 1 MiB: the texts are too long to write.</source>
        <translation>描述文件将有 %1 字节,超过 1 MiB 的上限:文本太长,无法写入。</translation>
    </message>
    <message>
        <source>the description file would have %1 “name=value” lines, over the limit of %2.</source>
        <translation>描述文件将有 %1 个“名称=值”行,超过 %2 行的上限。</translation>
    </message>
    <message>
        <source>the line “%1” is over the limit of %2 bytes and cannot be written to a description file.</source>
        <translation>“%1”一行超过 %2 字节的上限,无法写入描述文件。</translation>
    </message>
    <message>
        <source>the file is empty: it is not a seal description file.</source>
        <translation>文件是空的,不是电子公章描述文件。</translation>
    </message>
    <message>
        <source>the file is incomplete: it has only %1 lines, and the header has 5.</source>
        <translation>文件不完整:只有 %1 行,文件头应有 5 行。</translation>
    </message>
    <message>
        <source>the first %1 lines are over the limit of 1 MiB: it is not a seal description file.</source>
        <translation>前 %1 行超过 1 MiB 的上限,不是电子公章描述文件。</translation>
    </message>
    <message>
        <source>cannot save the description file “%1”: %2</source>
        <translation>无法保存描述文件“%1”:%2</translation>
    </message>
    <message>
        <source>cannot read the description file “%1”: %2</source>
        <translation>无法读取描述文件“%1”:%2</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>这是一个文件夹</translation>
    </message>
    <message>
        <source>the description file “%1” is wrong: %2</source>
        <translation>描述文件“%1”有误:%2</translation>
    </message>
    <message>
        <source>%1 is too large: %2 x %3 pixels (at most %4 million)</source>
        <translation>%1 太大：%2 x %3 像素（至多 %4 百万）</translation>
    </message>
    <message>
        <source>%1 cannot be read as %2: %3</source>
        <translation>%1 无法作为 %2 读取：%3</translation>
    </message>
    <message>
        <source>%1 is not a PNG, JPEG, TIFF or BMP picture</source>
        <translation>%1 不是 PNG、JPEG、TIFF 或 BMP 图片</translation>
    </message>
    <message>
        <source>%1 gives a resolution of %2 dpi; give the scan&apos;s with --dpi</source>
        <translation>%1 给出的分辨率为 %2 dpi；请用 --dpi 给出扫描的分辨率</translation>
    </message>
    <message>
        <source>%1 is too large (%2 MB)</source>
        <translation>%1 太大（%2 MB）</translation>
    </message>
    <message>
        <source>the picture is empty</source>
        <translation>图片是空的</translation>
    </message>
    <message>
        <source>no seal-coloured ink found (looked for %1 ink%2)</source>
        <translation>没有找到印章颜色的印迹（找的是 %1 色%2）</translation>
    </message>
    <message>
        <source>; --colour for another</source>
        <translation>；其他颜色请用 --colour</translation>
    </message>
    <message>
        <source>--size %1 mm at %2 dpi is too large a picture</source>
        <translation>--size %1 毫米在 %2 dpi 下图片太大</translation>
    </message>
    <message>
        <source>cannot make the PNG: %1</source>
        <translation>无法生成 PNG：%1</translation>
    </message>
    <message>
        <source>cannot trace the seal: out of memory</source>
        <translation>无法描出印章：内存不足</translation>
    </message>
    <message>
        <source>cannot trace the seal</source>
        <translation>无法描出印章</translation>
    </message>
    <message>
        <source>line %1: the text is neither UTF-8 nor GBK</source>
        <translation>第 %1 行：文本既不是 UTF-8 也不是 GBK</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>内存不足</translation>
    </message>
    <message>
        <source>line %1: a quote is not closed, or text follows a closing quote</source>
        <translation>第 %1 行：引号没有闭合，或闭合的引号后还有文字</translation>
    </message>
    <message>
        <source>no header row (the names of the columns)</source>
        <translation>没有表头行（各列的名称）</translation>
    </message>
    <message>
        <source>line %1: more cells than the header has columns (%2)</source>
        <translation>第 %1 行：单元格比表头的列数（%2）多</translation>
    </message>
    <message>
        <source>cannot read the table &apos;%1&apos;: %2</source>
        <translation>无法读取表格“%1”：%2</translation>
    </message>
    <message>
        <source>larger than %1 MB</source>
        <translation>大于 %1 MB</translation>
    </message>
    <message>
        <source>worn and engraved seals are written as PDF by plomet-documents</source>
        <translation>做旧的印章和雕刻稿由 plomet-documents 写成 PDF</translation>
    </message>
    <message>
        <source>cannot open the file “%1”: %2</source>
        <translation>无法打开文件“%1”：%2</translation>
    </message>
</context>
<context>
    <name>Options</name>
    <message>
        <source>Options:</source>
        <translation>选项:</translation>
    </message>
    <message>
        <source>--%1 given more than once</source>
        <translation>--%1 给出了不止一次</translation>
    </message>
    <message>
        <source>the file to write</source>
        <translation>要写入的文件</translation>
    </message>
    <message>
        <source>batch: the folder for the images (made when it does not exist)</source>
        <translation>批量:图像的文件夹(不存在时创建)</translation>
    </message>
    <message>
        <source>batch: png, bmp, svg or pdf</source>
        <translation>批量:png、bmp、svg 或 pdf</translation>
    </message>
    <message>
        <source>with -d: png or svg</source>
        <translation>用 -d 时:png 或 svg</translation>
    </message>
    <message>
        <source>start from the seal in this description file</source>
        <translation>从此描述文件中的印章开始</translation>
    </message>
    <message>
        <source>one seal a row of a table; the header names properties (any letter case, as --set takes them) and the command&apos;s own columns; empty cells keep the value, lengths are millimetres, colours #RRGGBB; UTF-8 (with or without BOM) or GBK; --preset and --set apply first</source>
        <translation>表格每行一个印章;表头为属性名(不区分大小写,同 --set)及命令自己的列;空单元格保留原值,长度为毫米,颜色为 #RRGGBB;UTF-8(带或不带 BOM)或 GBK;先应用 --preset 和 --set</translation>
    </message>
    <message>
        <source>assign a property (the list: plomet render --help); NAME in any letter case; VALUE as the description file writes it: plain decimal numbers, True/False; lengths also in millimetres (42mm, 1.2mm), colours also as #RRGGBB; an empty VALUE is the empty text</source>
        <translation>设置一个属性(列表见 plomet render --help);NAME 不区分大小写;VALUE 的写法同描述文件:普通十进制数、True/False;长度也可用毫米(42mm、1.2mm),颜色也可用 #RRGGBB;空 VALUE 为空文本</translation>
    </message>
    <message>
        <source>resolution of PNG and BMP (96: the screen picture pixel for pixel); size = twips x N / 1440</source>
        <translation>PNG 和 BMP 的分辨率(96:与屏幕图像逐像素相同);尺寸 = 缇 x N / 1440</translation>
    </message>
    <message>
        <source>the scan&apos;s resolution, for a file that records none (otherwise taken as 300) or a wrong one</source>
        <translation>扫描的分辨率,用于没有记录分辨率(否则按 300)或记录有误的文件</translation>
    </message>
    <message>
        <source>no background (PNG, SVG, PDF; BMP stays opaque)</source>
        <translation>无背景(PNG、SVG、PDF;BMP 仍不透明)</translation>
    </message>
    <message>
        <source>pages: 1  1,3  2-5  last  all  odd  even, or a list of these (default 1; for --straddle all)</source>
        <translation>页面:1  1,3  2-5  last  all  odd  even,或它们的列表(默认 1;--straddle 时为 all)</translation>
    </message>
    <message>
        <source>the seal&apos;s centre, in mm from the page&apos;s top-left corner</source>
        <translation>印章中心,距页面左上角的毫米数</translation>
    </message>
    <message>
        <source>turn the seal clockwise</source>
        <translation>将印章顺时针旋转</translation>
    </message>
    <message>
        <source>cross-page seal: one strip of the seal at the edge of each page; the strips side by side give the seal</source>
        <translation>骑缝章:在每页边缘放印章的一条,各条并排拼成印章</translation>
    </message>
    <message>
        <source>cross-page: height of the seal&apos;s centre in mm (default the middle of the first page)</source>
        <translation>骑缝:印章中心的高度,毫米(默认第一页的中间)</translation>
    </message>
    <message>
        <source>cross-page: a new seal every N pages</source>
        <translation>骑缝:每 N 页一个新印章</translation>
    </message>
    <message>
        <source>cross-page: the edge the strips sit at (double-sided: --page odd, or --page even --edge left)</source>
        <translation>骑缝:条带所在的边(双面:--page odd,或 --page even --edge left)</translation>
    </message>
    <message>
        <source>cross-page: width of the first page&apos;s strip (default: all strips equally wide)</source>
        <translation>骑缝:第一页条带的宽度(默认:各条等宽)</translation>
    </message>
    <message>
        <source>cross-page: distance of the strips from the page edge</source>
        <translation>骑缝:条带距页面边缘的距离</translation>
    </message>
    <message>
        <source>rewrite a digitally signed document whole (its signatures break) instead of appending the seal</source>
        <translation>整个重写已数字签名的文档(其签名失效),而不是追加印章</translation>
    </message>
    <message>
        <source>the address to listen on; 127.0.0.1 is this machine only</source>
        <translation>监听的地址;127.0.0.1 仅限本机</translation>
    </message>
    <message>
        <source>the TCP port; 0: any free one</source>
        <translation>TCP 端口;0:任一空闲端口</translation>
    </message>
    <message>
        <source>drawing threads (default: the usable cores)</source>
        <translation>绘制线程数(默认:可用的核心数)</translation>
    </message>
    <message>
        <source>requests that may wait for a drawing thread; more are answered 503</source>
        <translation>可等待绘制线程的请求数;更多的回答 503</translation>
    </message>
    <message>
        <source>connections served at once; more wait to be accepted</source>
        <translation>同时服务的连接数;更多的等待接受</translation>
    </message>
    <message>
        <source>largest PDF for /stamp, in bytes or with K, M, G</source>
        <translation>/stamp 的最大 PDF,字节数或带 K、M、G</translation>
    </message>
    <message>
        <source>largest JSON body for /render</source>
        <translation>/render 的最大 JSON 请求体</translation>
    </message>
    <message>
        <source>seconds a client may stay silent while sending a request, and 4 times that to send a body</source>
        <translation>客户端发送请求时可沉默的秒数,发送请求体时为其 4 倍</translation>
    </message>
    <message>
        <source>seconds a request may wait and draw</source>
        <translation>请求可等待和绘制的秒数</translation>
    </message>
    <message>
        <source>no log line per request</source>
        <translation>不为每个请求记录日志</translation>
    </message>
    <message>
        <source>sign with the key and certificate chain in this PKCS#12 file (PAdES)</source>
        <translation>用此 PKCS#12 文件中的密钥和证书链签名(PAdES)</translation>
    </message>
    <message>
        <source>the PKCS#12 password, the file&apos;s first line (else the environment variable PLOMET_P12_PASSWORD, else asked on the terminal, not shown)</source>
        <translation>PKCS#12 的密码,取文件的第一行(否则取环境变量 PLOMET_P12_PASSWORD,否则在终端上询问,不显示)</translation>
    </message>
    <message>
        <source>why it is signed</source>
        <translation>签名的原因</translation>
    </message>
    <message>
        <source>where it is signed</source>
        <translation>签名的地点</translation>
    </message>
    <message>
        <source>how to reach the signer</source>
        <translation>签名者的联系方式</translation>
    </message>
    <message>
        <source>the signature field&apos;s name (default SignatureN)</source>
        <translation>签名域的名称(默认 SignatureN)</translation>
    </message>
    <message>
        <source>add a time stamp from this RFC 3161 service (http://...; PAdES B-T)</source>
        <translation>从此 RFC 3161 服务添加时间戳(http://...;PAdES B-T)</translation>
    </message>
    <message>
        <source>print one JSON document on stdout: an entry per output (input, output, status, message, warnings, widthMm, heightMm; pixels of an image, pages and signed of a document)</source>
        <translation>在 stdout 上输出一个 JSON 文档:每个输出一项(input、output、status、message、warnings、widthMm、heightMm;图像的 pixels,文档的 pages 和 signed)</translation>
    </message>
    <message>
        <source>one JSON object instead with every property the file can hold (those it does not set at a new seal&apos;s values): the property names and Width, Height as keys; numbers as JSON numbers, Booleans as true/false, texts and Shape as strings</source>
        <translation>改为输出一个 JSON 对象,包含文件能保存的每个属性(文件未设置的取新印章的值):属性名及 Width、Height 为键;数字为 JSON 数字,布尔值为 true/false,文本和 Shape 为字符串</translation>
    </message>
    <message>
        <source>one JSON object instead of the text</source>
        <translation>改为输出一个 JSON 对象而不是文本</translation>
    </message>
    <message>
        <source>trust these certificates (PEM) instead of the system&apos;s</source>
        <translation>信任这些证书(PEM),而不是系统的</translation>
    </message>
    <message>
        <source>the certificate&apos;s name, usually the company&apos;s</source>
        <translation>证书的名称,通常是公司名</translation>
    </message>
    <message>
        <source>days of validity from now</source>
        <translation>自现在起的有效天数</translation>
    </message>
    <message>
        <source>the ink&apos;s colour (default red; blue or purple seals need it)</source>
        <translation>印泥的颜色(默认红色;蓝色或紫色印章需要给出)</translation>
    </message>
    <message>
        <source>give the whole seal this one colour</source>
        <translation>把整个印章改成这一种颜色</translation>
    </message>
    <message>
        <source>scale the seal so that its larger side is MM millimetres (42mm or 42)</source>
        <translation>缩放印章,使其较长边为 MM 毫米(42mm 或 42)</translation>
    </message>
    <message>
        <source>show this help</source>
        <translation>显示此帮助</translation>
    </message>
    <message>
        <source>(default %1)</source>
        <translation>(默认 %1)</translation>
    </message>
    <message>
        <source>for seal makers (SVG, PDF): mirrored left to right, every glyph and ring a filled outline, no text or fonts, at the seal&apos;s exact size; no wear</source>
        <translation>供刻章用(SVG、PDF):左右镜像,每个字和圈都是填充轮廓,没有文字对象和字体,按印章的准确尺寸;不做磨损</translation>
    </message>
    <message>
        <source>with --engrave: the ink as the cut-away (the seal&apos;s outer shape minus the ink), for rubber</source>
        <translation>与 --engrave 同用:印迹作为刻去的部分(印章外形减去印迹),用于橡皮章</translation>
    </message>
    <message>
        <source>stamp this picture instead of a drawn seal: an SVG (such as plomet extract writes) stays vector, at the size its width and height give; a PNG goes in at the size its resolution gives, with its alpha (not with SEAL.PMF, --preset or --set)</source>
        <translation>盖这张图片而不是绘制的印章:SVG(如 plomet extract 写出的)保持矢量,尺寸取其宽和高;PNG 按其分辨率给出的尺寸放入,保留透明度(不能与 SEAL.PMF、--preset 或 --set 同用)</translation>
    </message>
    <message>
        <source>seconds from a request&apos;s first byte to the end of its headers</source>
        <translation>从请求的第一个字节到请求头结束的秒数</translation>
    </message>
    <message>
        <source>start from a common seal (its size is the outer edge of the band; --set applies after it):
%1</source>
        <translation>从常用印章开始(尺寸为边框外沿;--set 在其后应用):
%1</translation>
    </message>
</context>
<context>
    <name>Presets</name>
    <message>
        <source>general use</source>
        <translation>通用</translation>
    </message>
    <message>
        <source>contracts</source>
        <translation>合同用</translation>
    </message>
    <message>
        <source>accounts</source>
        <translation>财务用</translation>
    </message>
    <message>
        <source>invoices</source>
        <translation>发票用</translation>
    </message>
    <message>
        <source>oval %1 × %2 mm</source>
        <translation>椭圆 %1 × %2 毫米</translation>
    </message>
    <message>
        <source>round %1 mm</source>
        <translation>圆形 %1 毫米</translation>
    </message>
    <message>
        <source>%1 mm band</source>
        <translation>%1 毫米边框</translation>
    </message>
    <message>
        <source>star</source>
        <translation>五角星</translation>
    </message>
    <message>
        <source>%1 (%2)</source>
        <comment>a preset&apos;s name and what it is</comment>
        <translation>%1(%2)</translation>
    </message>
    <message>
        <source>, </source>
        <comment>between the words about a preset</comment>
        <translation>,</translation>
    </message>
    <message>
        <source>; </source>
        <comment>between the presets of a list</comment>
        <translation>;</translation>
    </message>
</context>
<context>
    <name>Seal</name>
    <message>
        <source>cannot make the font “%1”</source>
        <translation>无法创建字体“%1”</translation>
    </message>
    <message>
        <source>the system has no GBK/GB18030 conversion (iconv)</source>
        <translation>系统缺少 GBK/GB18030 编码转换(iconv)。</translation>
    </message>
    <message>
        <source>the character %1 cannot be kept in GBK or GB18030</source>
        <translation>字符 %1 无法用 GBK 或 GB18030 编码保存</translation>
    </message>
    <message>
        <source>the text holds an unpaired surrogate %1</source>
        <translation>文本含有不成对的代理码元 %1</translation>
    </message>
    <message>
        <source>the resolution %1 dpi is not valid</source>
        <translation>分辨率 %1 dpi 无效</translation>
    </message>
    <message>
        <source>image too large: %1 × %2 pixels (at most %3 × 10⁴ pixels in all)</source>
        <translation>图像过大：%1 × %2 像素（至多 %3 万像素）</translation>
    </message>
    <message>
        <source>not enough memory for an image of %1 × %2 pixels</source>
        <translation>内存不足，无法生成 %1 × %2 像素的图像</translation>
    </message>
    <message>
        <source>no %1 face for simplified Chinese is installed</source>
        <translation>没有安装简体中文的%1字体</translation>
    </message>
    <message>
        <source>no %1 face is installed</source>
        <translation>没有安装%1字体</translation>
    </message>
    <message>
        <source>%1; %2 is drawn in %3</source>
        <translation>%1；%2 改用%3绘制</translation>
    </message>
    <message>
        <source>a fallback face</source>
        <translation>替代字体</translation>
    </message>
    <message>
        <source>the nearest style, %1 (%2)</source>
        <translation>最接近的字体风格%1（%2）</translation>
    </message>
    <message>
        <source>the stored property “%1” has the value “%2”, which does not convert to %3</source>
        <translation>保存的属性“%1”的值“%2”无法转换为%3</translation>
    </message>
    <message>
        <source>the stored property “%1” has the value “%2”, out of the range of %3</source>
        <translation>保存的属性“%1”的值“%2”超出%3的范围</translation>
    </message>
    <message>
        <source>a text</source>
        <translation>文本</translation>
    </message>
    <message>
        <source>a Boolean</source>
        <translation>布尔值</translation>
    </message>
    <message>
        <source>an Integer</source>
        <translation>整数</translation>
    </message>
    <message>
        <source>a Long</source>
        <translation>长整数</translation>
    </message>
    <message>
        <source>a Single</source>
        <translation>单精度数</translation>
    </message>
    <message>
        <source>a Double</source>
        <translation>双精度数</translation>
    </message>
    <message>
        <source>a choice</source>
        <translation>选项</translation>
    </message>
    <message>
        <source>an Integer (-32768 to 32767)</source>
        <translation>整数（-32768 至 32767）</translation>
    </message>
    <message>
        <source>-32768 to 32767</source>
        <translation>-32768 至 32767</translation>
    </message>
    <message>
        <source>-2147483648 to 2147483647</source>
        <translation>-2147483648 至 2147483647</translation>
    </message>
    <message>
        <source>the range of a Single</source>
        <translation>单精度数的范围</translation>
    </message>
    <message>
        <source>the range of a Double</source>
        <translation>双精度数的范围</translation>
    </message>
    <message>
        <source>at least %1</source>
        <translation>至少 %1</translation>
    </message>
    <message>
        <source>at most %1</source>
        <translation>至多 %1</translation>
    </message>
    <message>
        <source>%1 to %2</source>
        <translation>%1 至 %2</translation>
    </message>
    <message>
        <source>%1, a whole number</source>
        <translation>%1 的整数</translation>
    </message>
    <message>
        <source>%1 is not one of %2</source>
        <translation>%1不是 %2 之一</translation>
    </message>
    <message>
        <source>, </source>
        <comment>between the items of a list</comment>
        <translation>、</translation>
    </message>
    <message>
        <source>%1 is not True or False</source>
        <translation>%1不是 True 或 False</translation>
    </message>
    <message>
        <source>%1 is out of range (%2)</source>
        <translation>%1超出范围(%2)</translation>
    </message>
    <message>
        <source>%1 is not a length (twips, or millimetres with mm)</source>
        <translation>%1不是长度(缇,或带 mm 的毫米数)</translation>
    </message>
    <message>
        <source>%1 is not a number</source>
        <translation>%1不是数字</translation>
    </message>
    <message>
        <source>unknown setting “%1” (known: %2)</source>
        <translation>未知的设置名“%1”（可用：%2）</translation>
    </message>
    <message>
        <source>the value of setting %1 is not valid: %2</source>
        <translation>设置 %1 的值无效：%2</translation>
    </message>
    <message>
        <source>the setting “%1” should be written name=value</source>
        <translation>设置“%1”应写作 名称=值</translation>
    </message>
    <message>
        <source>no such file or folder</source>
        <translation>文件或文件夹不存在</translation>
    </message>
    <message>
        <source>permission denied</source>
        <translation>没有访问权限</translation>
    </message>
    <message>
        <source>the file system is read-only</source>
        <translation>文件系统是只读的</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>磁盘已满</translation>
    </message>
    <message>
        <source>the disk quota is exceeded</source>
        <translation>超出了磁盘配额</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>这是一个文件夹</translation>
    </message>
    <message>
        <source>a part of the path is not a folder</source>
        <translation>路径中有一部分不是文件夹</translation>
    </message>
    <message>
        <source>the file name is too long</source>
        <translation>文件名太长</translation>
    </message>
    <message>
        <source>too many levels of symbolic links</source>
        <translation>符号链接层数太多</translation>
    </message>
    <message>
        <source>input/output error</source>
        <translation>读写设备时出错</translation>
    </message>
    <message>
        <source>the file is too large</source>
        <translation>文件太大</translation>
    </message>
    <message>
        <source>the file is busy</source>
        <translation>文件正被占用</translation>
    </message>
    <message>
        <source>too many open files</source>
        <translation>打开的文件太多</translation>
    </message>
    <message>
        <source>out of memory</source>
        <translation>内存不足</translation>
    </message>
    <message>
        <source>a file cannot be moved across file systems</source>
        <translation>不能跨文件系统移动文件</translation>
    </message>
    <message>
        <source>warning: </source>
        <translation>警告：</translation>
    </message>
    <message>
        <source>FontName: no face &apos;%1&apos; is installed; it is drawn in %2</source>
        <translation>FontName：没有安装字体“%1”，改用 %2 绘制</translation>
    </message>
    <message>
        <source>FontName: &apos;%1&apos; cannot be written in GBK; the company name is drawn with the nearest installed face</source>
        <translation>FontName：字体名“%1”无法用 GBK 表示，公司名称改用最接近的已安装字体绘制</translation>
    </message>
    <message>
        <source>%1: no glyph for %2 in %3 or any fallback face; it is drawn as an empty box</source>
        <translation>%1：%3 及所有替代字体都没有 %2 的字形，画成空框</translation>
    </message>
    <message>
        <source>%1: %2 is not a GBK character; the description file keeps it as GB18030</source>
        <translation>%1：%2 不是 GBK 字符，描述文件以 GB18030 保存它</translation>
    </message>
    <message>
        <source>Width, Height: the seal is %1 x %2 mm, %3; sizes without a unit are twips (1 mm = 56.7 twips): write 42mm for 42 millimetres</source>
        <translation>Width、Height：印章为 %1 x %2 毫米，%3；不带单位的尺寸是缇（1 毫米 = 56.7 缇）：42 毫米请写作 42mm</translation>
    </message>
    <message>
        <source>smaller than any seal (under 10 mm)</source>
        <translation>比任何印章都小（不到 10 毫米）</translation>
    </message>
    <message>
        <source>larger than any seal (over 100 mm)</source>
        <translation>比任何印章都大（超过 100 毫米）</translation>
    </message>
    <message>
        <source>rText: the company name (%1 characters) goes round the ring over itself; Fit=True fits it to the ring</source>
        <translation>rText：公司名称（%1 个字）绕满一圈后叠在自身上；Fit=True 可按圆环排版</translation>
    </message>
    <message>
        <source>rText: the company name (%1 characters) runs into the lower line; Fit=True fits it to the ring</source>
        <translation>rText：公司名称（%1 个字）压到了下方的文字行；Fit=True 可按圆环排版</translation>
    </message>
    <message>
        <source>Width, Height: the seal is %1 x %2 mm, %3; in a table, sizes without a unit are millimetres</source>
        <translation>Width、Height：印章为 %1 x %2 毫米，%3；表格中不带单位的尺寸是毫米</translation>
    </message>
</context>
<context>
    <name>Stamp</name>
    <message>
        <source>the cross-reference table of “%1” cannot take an incremental update (%2); it was not stamped, so as not to break its digital signature</source>
        <translation>“%1”的交叉引用表无法追加更新（%2），为不破坏其数字签名，未盖章</translation>
    </message>
    <message>
        <source>the file is encrypted</source>
        <translation>文件已加密</translation>
    </message>
    <message>
        <source>the file is damaged</source>
        <translation>文件有损坏</translation>
    </message>
    <message>
        <source>no startxref found</source>
        <translation>找不到 startxref</translation>
    </message>
    <message>
        <source>startxref does not point at a cross-reference</source>
        <translation>startxref 所指之处不是交叉引用</translation>
    </message>
    <message>
        <source>“%1” is not a PKCS#12 certificate file</source>
        <translation>“%1”不是 PKCS#12 证书文件</translation>
    </message>
    <message>
        <source>the password of the certificate “%1” is wrong</source>
        <translation>证书“%1”的密码不对</translation>
    </message>
    <message>
        <source>cannot read the certificate “%1”: %2</source>
        <translation>无法读取证书“%1”：%2</translation>
    </message>
    <message>
        <source>the certificate file “%1” holds no private key with its certificate</source>
        <translation>证书文件“%1”里没有私钥和它的证书</translation>
    </message>
    <message>
        <source>the certificate “%1” expired on %2</source>
        <translation>证书“%1”已于 %2 过期</translation>
    </message>
    <message>
        <source>the certificate “%1” is valid only from %2</source>
        <translation>证书“%1”自 %2 起才有效</translation>
    </message>
    <message>
        <source>the certificate “%1” is not meant for signing (digital signature or non-repudiation)</source>
        <translation>证书“%1”的用途不含签名（数字签名或不可否认）</translation>
    </message>
    <message>
        <source>the time-stamp service “%1” gave no time stamp: %2</source>
        <translation>时间戳服务“%1”没有给出时间戳：%2</translation>
    </message>
    <message>
        <source>the address is wrong</source>
        <translation>网址不对</translation>
    </message>
    <message>
        <source>the answer cannot be read</source>
        <translation>回答无法读取</translation>
    </message>
    <message>
        <source>the service refused (status %1)</source>
        <translation>服务拒绝（状态 %1）</translation>
    </message>
    <message>
        <source>the time stamp is not for this signature</source>
        <translation>时间戳不是为这个签名的</translation>
    </message>
    <message>
        <source>signing failed: %1</source>
        <translation>签名失败：%1</translation>
    </message>
    <message>
        <source>the signature is larger than the room kept for it (%1 bytes)</source>
        <translation>签名比预留的位置大（%1 字节）</translation>
    </message>
    <message>
        <source>the signature&apos;s byte range is wrong</source>
        <translation>签名的字节范围不对</translation>
    </message>
    <message>
        <source>more than the signature lies between the two signed ranges</source>
        <translation>两段签名范围之间不只是签名</translation>
    </message>
    <message>
        <source>there is no signature data</source>
        <translation>没有签名数据</translation>
    </message>
    <message>
        <source>the signature data cannot be read</source>
        <translation>签名数据无法读取</translation>
    </message>
    <message>
        <source>the signature does not match the content: %1</source>
        <translation>签名与内容不符：%1</translation>
    </message>
    <message>
        <source>the signature holds no certificate of its signer</source>
        <translation>签名里没有签名者的证书</translation>
    </message>
    <message>
        <source>“%1” is not a PDF file</source>
        <translation>“%1”不是 PDF 文件</translation>
    </message>
    <message>
        <source>the file of trusted certificates holds no PEM certificate</source>
        <translation>信任的证书文件里没有 PEM 证书</translation>
    </message>
    <message>
        <source>“%1” needs a password to open</source>
        <translation>“%1”需要密码才能打开</translation>
    </message>
    <message>
        <source>“%1” is damaged and cannot be read: %2</source>
        <translation>“%1”已损坏，无法读取：%2</translation>
    </message>
    <message>
        <source>the certificate&apos;s name cannot be empty</source>
        <translation>证书的名称不能为空</translation>
    </message>
    <message>
        <source>cannot make the certificate: %1</source>
        <translation>无法生成证书：%1</translation>
    </message>
    <message>
        <source>“%1” needs a password to open; it cannot be stamped</source>
        <translation>“%1”需要密码才能打开，不能盖章</translation>
    </message>
    <message>
        <source>“%1” is damaged beyond repair: %2</source>
        <translation>“%1”已损坏，无法修复：%2</translation>
    </message>
    <message>
        <source>cannot open the file “%1”: %2</source>
        <translation>无法打开文件“%1”：%2</translation>
    </message>
    <message>
        <source>“%1” is damaged; it was repaired before stamping: check the result</source>
        <translation>“%1”有损坏，已修复后处理，请检查结果</translation>
    </message>
    <message>
        <source>cannot read the seal&apos;s PDF: %1</source>
        <translation>无法读取印章的 PDF：%1</translation>
    </message>
    <message>
        <source>the seal&apos;s PDF has no page</source>
        <translation>印章的 PDF 没有页面</translation>
    </message>
    <message>
        <source>the position or the angle is not a finite number</source>
        <translation>位置或角度不是有限的数</translation>
    </message>
    <message>
        <source>a straddling seal needs at least 1 page per impression</source>
        <translation>骑缝章每枚最多的页数须至少为 1</translation>
    </message>
    <message>
        <source>a straddling seal&apos;s distance from the page edge cannot be negative</source>
        <translation>骑缝章离页边的距离不能为负</translation>
    </message>
    <message>
        <source>the first strip is %1 mm wide, no narrower than the seal (%2 mm)</source>
        <translation>第一条宽 %1 毫米，不小于印章宽 %2 毫米</translation>
    </message>
    <message>
        <source>the seal lies wholly off page %1 (the page is %2 × %3 mm)</source>
        <translation>印章完全落在第 %1 页之外（该页 %2 × %3 毫米）</translation>
    </message>
    <message>
        <source>the straddling seal falls on one page only (page %1), so it straddles nothing; choose two pages or more</source>
        <translation>骑缝章只盖在一页上（第 %1 页），看不出骑缝；请选两页或更多</translation>
    </message>
    <message>
        <source>the seal on page %1 is mostly off the page (only %2% is on it)</source>
        <translation>第 %1 页上的印章大半在页面之外（只有 %2% 在页内）</translation>
    </message>
    <message>
        <source>“%1” already has a form field named “%2”</source>
        <translation>“%1”里已有名为“%2”的表单域</translation>
    </message>
    <message>
        <source>the seal&apos;s size is 0: there is no seal to stamp</source>
        <translation>印章大小为 0，没有可盖的印章</translation>
    </message>
    <message>
        <source>the permissions of “%1” forbid changes; it cannot be stamped</source>
        <translation>“%1”的权限不允许修改，不能盖章</translation>
    </message>
    <message>
        <source>the digital signature of “%1” no longer holds after stamping</source>
        <translation>“%1”的数字签名因盖章而失效</translation>
    </message>
    <message>
        <source>“%1” is digitally signed: it can only take an incremental update</source>
        <translation>“%1”带有数字签名，只能追加更新</translation>
    </message>
    <message>
        <source>there is no certificate to sign with</source>
        <translation>没有签名用的证书</translation>
    </message>
    <message>
        <source>“%1” has no pages</source>
        <translation>“%1”没有页面</translation>
    </message>
    <message>
        <source>the pages “%1” are wrong: %2</source>
        <translation>页码“%1”不对：%2</translation>
    </message>
    <message>
        <source>“%1” is not a page number (pages count from 1, or last)</source>
        <translation>“%1”不是页码（页码从 1 起，或 last）</translation>
    </message>
    <message>
        <source>there is no page %1 (the last page is %2)</source>
        <translation>没有第 %1 页（文件共 %2 页）</translation>
    </message>
    <message>
        <source>an item is empty</source>
        <translation>有空的一项</translation>
    </message>
    <message>
        <source>“%1” runs backwards</source>
        <translation>“%1”从后往前</translation>
    </message>
    <message>
        <source>the pages “%1” choose no page (the last page is %2)</source>
        <translation>页码“%1”没有选中任何页（文件共 %2 页）</translation>
    </message>
    <message>
        <source>cannot write the file “%1”: %2</source>
        <translation>无法写入文件“%1”：%2</translation>
    </message>
    <message>
        <source>%1: cannot make the seal&apos;s page</source>
        <translation>%1：无法生成印章的页面</translation>
    </message>
    <message>
        <source>%1 gives the seal no size</source>
        <translation>%1 没有给出印章的大小</translation>
    </message>
    <message>
        <source>%1 is too large a seal: %2 x %3 mm (at most 1000 mm a side)</source>
        <translation>%1 作为印章太大：%2 x %3 毫米（每边至多 1000 毫米）</translation>
    </message>
    <message>
        <source>%1 cannot be read as SVG</source>
        <translation>%1 无法作为 SVG 读取</translation>
    </message>
    <message>
        <source>%1 gives the seal no physical size (its width and height want a unit such as mm)</source>
        <translation>%1 没有给出印章的实际大小（宽度和高度须带单位，如 mm）</translation>
    </message>
    <message>
        <source>%1: cannot make the seal&apos;s page: %2</source>
        <translation>%1：无法生成印章的页面：%2</translation>
    </message>
    <message>
        <source>%1 records no resolution; placed at %2 dpi</source>
        <translation>%1 没有记录分辨率，按 %2 dpi 放置</translation>
    </message>
    <message>
        <source>%1 is not an SVG or PNG seal</source>
        <translation>%1 不是 SVG 或 PNG 印章</translation>
    </message>
    <message>
        <source>%1 is too large (%2 MB)</source>
        <translation>%1 太大（%2 MB）</translation>
    </message>
    <message>
        <source>the file cannot be read</source>
        <translation>无法读取文件</translation>
    </message>
    <message>
        <source>its structure is broken</source>
        <translation>文件结构损坏</translation>
    </message>
    <message>
        <source>its page tree is broken</source>
        <translation>页面树损坏</translation>
    </message>
    <message>
        <source>an object in it is broken</source>
        <translation>其中的对象损坏</translation>
    </message>
    <message>
        <source>it uses a feature that cannot be read</source>
        <translation>使用了无法读取的功能</translation>
    </message>
    <message>
        <source>its fast-web-view data is broken</source>
        <translation>快速网页查看数据损坏</translation>
    </message>
    <message>
        <source>it cannot be read</source>
        <translation>无法读取</translation>
    </message>
    <message>
        <source>%1 at byte %2</source>
        <translation>%1(第 %2 字节处)</translation>
    </message>
    <message>
        <source>the certificate is self-signed</source>
        <translation>证书是自签名的</translation>
    </message>
    <message>
        <source>the chain ends in a self-signed certificate that is not trusted</source>
        <translation>证书链止于不受信任的自签名证书</translation>
    </message>
    <message>
        <source>the issuer&apos;s certificate is neither in the signature nor trusted</source>
        <translation>签发者的证书既不在签名中，也不受信任</translation>
    </message>
    <message>
        <source>a certificate of the chain has expired</source>
        <translation>证书链中有证书已过期</translation>
    </message>
    <message>
        <source>a certificate of the chain is not valid yet</source>
        <translation>证书链中有证书尚未生效</translation>
    </message>
    <message>
        <source>a certificate of the chain is revoked</source>
        <translation>证书链中有证书已被吊销</translation>
    </message>
    <message>
        <source>a certificate&apos;s signature is wrong</source>
        <translation>证书的签名不对</translation>
    </message>
    <message>
        <source>a certificate of the chain may not be used for signing</source>
        <translation>证书链中有证书不能用于签名</translation>
    </message>
    <message>
        <source>the chain cannot be verified (OpenSSL error %1)</source>
        <translation>无法验证证书链（OpenSSL 错误 %1）</translation>
    </message>
</context>
<context>
    <name>plomet::Properties</name>
    <message>
        <source>whether the centre sign (MidSign) is drawn</source>
        <translation>是否绘制中央标志(MidSign)</translation>
    </message>
    <message>
        <source>True or False</source>
        <translation>True 或 False</translation>
    </message>
    <message>
        <source>a flag that is stored and kept; nothing draws it</source>
        <translation>保存并保留的标记;不参与绘制</translation>
    </message>
    <message>
        <source>bold face for the company name and the centre sign</source>
        <translation>公司名称和中央标志用粗体</translation>
    </message>
    <message>
        <source>the centre sign; only its first character is drawn</source>
        <translation>中央标志;只绘制其第一个字符</translation>
    </message>
    <message>
        <source>any text</source>
        <translation>任意文本</translation>
    </message>
    <message>
        <source>size of the centre sign; the lower lines move down with it</source>
        <translation>中央标志的尺寸;下方各行随之下移</translation>
    </message>
    <message>
        <source>-32768 to 32767</source>
        <translation>-32768 至 32767</translation>
    </message>
    <message>
        <source>0: 24, chosen when drawn; below 0: no sign</source>
        <translation>0:绘制时取 24;小于 0:不绘制标志</translation>
    </message>
    <message>
        <source>where the company name starts along the ring, clockwise from 12 o&apos;clock</source>
        <translation>公司名称沿圆环的起始位置,从 12 点方向顺时针计</translation>
    </message>
    <message>
        <source>any number</source>
        <translation>任意数字</translation>
    </message>
    <message>
        <source>-1: centred on 12 o&apos;clock; -2: once around the full circle</source>
        <translation>-1:以 12 点方向居中;-2:绕满整圈</translation>
    </message>
    <message>
        <source>the upper of the two lines below the centre (0.85 of FontSize, never bold)</source>
        <translation>中心下方两行中的上一行(FontSize 的 0.85,从不加粗)</translation>
    </message>
    <message>
        <source>empty: not drawn</source>
        <translation>为空:不绘制</translation>
    </message>
    <message>
        <source>the lower of the two lines below the centre</source>
        <translation>中心下方两行中的下一行</translation>
    </message>
    <message>
        <source>colour of the ring, the texts and the sign</source>
        <translation>圆环、文字和标志的颜色</translation>
    </message>
    <message>
        <source>0x00BBGGRR in decimal (255 red, 12582912 dark blue, 0 black); on the command line also #RRGGBB</source>
        <translation>十进制的 0x00BBGGRR(255 红色,12582912 深蓝,0 黑色);命令行上也可用 #RRGGBB</translation>
    </message>
    <message>
        <source>negative: a system colour (0x80000000 + its index)</source>
        <translation>负数:系统颜色(0x80000000 + 其序号)</translation>
    </message>
    <message>
        <source>face of the company name, the sign and the lower lines</source>
        <translation>公司名称、标志和下方各行的字体</translation>
    </message>
    <message>
        <source>a face name (黑体, 宋体, 楷体, 仿宋, Arial, ...)</source>
        <translation>字体名(黑体、宋体、楷体、仿宋、Arial ...)</translation>
    </message>
    <message>
        <source>size of the company name; the lower lines are 0.85 of it</source>
        <translation>公司名称的字号;下方各行为其 0.85</translation>
    </message>
    <message>
        <source>0: 16 for a name of under 6 characters, else 12, chosen when drawn</source>
        <translation>0:绘制时选取,名称不足 6 个字符为 16,否则为 12</translation>
    </message>
    <message>
        <source>blanks put after every character of the company name but the last</source>
        <translation>公司名称除最后一个字符外每个字符后加的空格数</translation>
    </message>
    <message>
        <source>below 0: none</source>
        <translation>小于 0:不加</translation>
    </message>
    <message>
        <source>a colour that is stored and kept; never drawn (the background is the window&apos;s)</source>
        <translation>保存并保留的颜色;从不绘制(背景为窗口的背景)</translation>
    </message>
    <message>
        <source>0x00BBGGRR in decimal</source>
        <translation>十进制的 0x00BBGGRR</translation>
    </message>
    <message>
        <source>the company name, set along the upper arc</source>
        <translation>公司名称,沿上方圆弧排列</translation>
    </message>
    <message>
        <source>Round, or Oval: the band follows the ellipse inscribed in Width x Height</source>
        <translation>Round(圆形)或 Oval(椭圆):边框沿 Width x Height 的内切椭圆</translation>
    </message>
    <message>
        <source>Round or Oval</source>
        <translation>Round 或 Oval</translation>
    </message>
    <message>
        <source>width of the band</source>
        <translation>边框的宽度</translation>
    </message>
    <message>
        <source>0 or more</source>
        <translation>0 或更大</translation>
    </message>
    <message>
        <source>0: the classic band (about 50 twips)</source>
        <translation>0:经典边框(约 50 缇)</translation>
    </message>
    <message>
        <source>width of a thin ring inside the band</source>
        <translation>边框内细圈的宽度</translation>
    </message>
    <message>
        <source>0: none</source>
        <translation>0:没有</translation>
    </message>
    <message>
        <source>gap between the band and the inner ring (57 twips = 1 mm)</source>
        <translation>边框与内圈之间的间距(57 缇 = 1 毫米)</translation>
    </message>
    <message>
        <source>a code along the lower arc, centred on 6 o&apos;clock, read left to right</source>
        <translation>沿下方圆弧的编码,以 6 点方向居中,从左向右读</translation>
    </message>
    <message>
        <source>empty: none</source>
        <translation>为空:没有</translation>
    </message>
    <message>
        <source>face of the code</source>
        <translation>编码的字体</translation>
    </message>
    <message>
        <source>a face name</source>
        <translation>字体名</translation>
    </message>
    <message>
        <source>size of the code</source>
        <translation>编码的字号</translation>
    </message>
    <message>
        <source>space added between the code&apos;s characters</source>
        <translation>编码字符之间加的间隔</translation>
    </message>
    <message>
        <source>a line across the centre (an invoice seal&apos;s tax number), drawn in place of the sign</source>
        <translation>横穿中心的一行(发票专用章的税号),代替标志绘制</translation>
    </message>
    <message>
        <source>size of the middle line</source>
        <translation>中间行的字号</translation>
    </message>
    <message>
        <source>width the middle line is condensed to fit in</source>
        <translation>中间行压缩到的宽度</translation>
    </message>
    <message>
        <source>0: as wide as the band allows</source>
        <translation>0:边框所容许的宽度</translation>
    </message>
    <message>
        <source>size of the lower lines (pText, pText1) in the fitted layout</source>
        <translation>按实章排版时下方各行(pText、pText1)的字号</translation>
    </message>
    <message>
        <source>0: 0.85 of the name&apos;s size</source>
        <translation>0:名称字号的 0.85</translation>
    </message>
    <message>
        <source>width of each character of the lower lines in the fitted layout; they are condensed to it, never widened</source>
        <translation>按实章排版时下方各行每个字符的宽度;字符压缩到此宽度,从不加宽</translation>
    </message>
    <message>
        <source>0: the face&apos;s own widths</source>
        <translation>0:字体自身的宽度</translation>
    </message>
    <message>
        <source>the layout of a real seal: the name fills the upper arc by measured widths, condensed where needed; the lower lines are centred and kept inside the band; the sign scales</source>
        <translation>实章的排版:名称按测得的字宽排满上方圆弧,需要时压缩;下方各行居中并留在边框内;标志随之缩放</translation>
    </message>
    <message>
        <source>False: the classic layout</source>
        <translation>False:经典排版</translation>
    </message>
    <message>
        <source>worn ink: how much of the ink a worn seal loses, in specks, a pressure gradient and an uneven tone</source>
        <translation>印迹磨损:磨损的印章失去多少印泥,表现为斑点、压力渐变和不均匀的色调</translation>
    </message>
    <message>
        <source>0 to 100, whole</source>
        <translation>0 至 100 的整数</translation>
    </message>
    <message>
        <source>0: the exact unworn drawing</source>
        <translation>0:未磨损的精确图形</translation>
    </message>
    <message>
        <source>which wear: the same seed and level give the same specks everywhere</source>
        <translation>磨损的样式:相同的种子和程度在任何地方得到相同的斑点</translation>
    </message>
    <message>
        <source>width of the seal&apos;s area</source>
        <translation>印章区域的宽度</translation>
    </message>
    <message>
        <source>height of the seal&apos;s area; a round seal follows the smaller side</source>
        <translation>印章区域的高度;圆形印章取较短的边</translation>
    </message>
    <message>
        <source>twips (1440 an inch), or millimetres: 1.2mm</source>
        <translation>缇(每英寸 1440),或毫米:1.2mm</translation>
    </message>
    <message>
        <source>points</source>
        <translation>磅</translation>
    </message>
    <message>
        <source>degrees</source>
        <translation>度</translation>
    </message>
    <message>
        <source>blanks</source>
        <translation>个空格</translation>
    </message>
    <message>
        <source>-2147483648 to 2147483647</source>
        <translation>-2147483648 至 2147483647</translation>
    </message>
    <message>
        <source>a number (7 digits)</source>
        <translation>数字(7 位有效数字)</translation>
    </message>
    <message>
        <source>a number</source>
        <translation>数字</translation>
    </message>
    <message>
        <source>new seal: %1</source>
        <translation>新印章:%1</translation>
    </message>
    <message>
        <source>not kept in description files</source>
        <translation>描述文件不保存</translation>
    </message>
</context>
<context>
    <name>plomet::StampDialog</name>
    <message>
        <source>Stamp onto PDF - %1</source>
        <translation>盖章到PDF - %1</translation>
    </message>
    <message>
        <source>Single seal</source>
        <translation>单页盖章</translation>
    </message>
    <message>
        <source>Cross-page seal</source>
        <translation>骑缝章</translation>
    </message>
    <message>
        <source>for example 1, 1,3, 2-5, last, all, odd, even</source>
        <translation>例如 1、1,3、2-5、last、all、odd、even</translation>
    </message>
    <message>
        <source> mm</source>
        <translation> 毫米</translation>
    </message>
    <message>
        <source>Sign</source>
        <translation>签名</translation>
    </message>
    <message>
        <source>A digital signature with the seal as its appearance (PAdES); needs a PKCS#12 certificate file</source>
        <translation>以印章为外观的数字签名（PAdES），需要 PKCS#12 证书文件</translation>
    </message>
    <message>
        <source>PKCS#12 certificate file (.p12)</source>
        <translation>PKCS#12 证书文件（.p12）</translation>
    </message>
    <message>
        <source>Choose the certificate file</source>
        <translation>选择证书文件</translation>
    </message>
    <message>
        <source>PKCS#12 certificates (*.p12 *.pfx)</source>
        <translation>PKCS#12 证书 (*.p12 *.pfx)</translation>
    </message>
    <message>
        <source>Show page</source>
        <translation>显示第</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>方式</translation>
    </message>
    <message>
        <source>Pages to stamp</source>
        <translation>盖章页码</translation>
    </message>
    <message>
        <source>From the left</source>
        <translation>距左</translation>
    </message>
    <message>
        <source>From the top</source>
        <translation>距上</translation>
    </message>
    <message>
        <source>Angle</source>
        <translation>角度</translation>
    </message>
    <message>
        <source>Certificate</source>
        <translation>证书</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>密码</translation>
    </message>
    <message>
        <source>Save as PDF…</source>
        <translation>另存为PDF…</translation>
    </message>
    <message>
        <source>The seal&apos;s centre: %1 mm from the left, %2 mm from the top</source>
        <translation>印章中心：距左 %1 毫米，距上 %2 毫米</translation>
    </message>
    <message>
        <source>No seal on this page</source>
        <translation>本页不盖章</translation>
    </message>
    <message>
        <source>Signing failed.</source>
        <translation>签名失败。</translation>
    </message>
    <message>
        <source>Stamping failed.</source>
        <translation>盖章失败。</translation>
    </message>
    <message>
        <source>Cannot open the certificate file “%1”</source>
        <translation>无法打开证书文件“%1”</translation>
    </message>
    <message>
        <source>The signature verified: the file is intact, signed by %1.</source>
        <translation>签名已验证：文件完好，签名者 %1。</translation>
    </message>
    <message>
        <source>
The certificate is not trusted (%1).</source>
        <translation>
证书不受信任（%1）。</translation>
    </message>
    <message>
        <source>The signature did not verify: %1</source>
        <translation>签名未通过验证：%1</translation>
    </message>
    <message>
        <source>the file has no signature</source>
        <translation>文件里没有签名</translation>
    </message>
    <message>
        <source>Save as PDF</source>
        <translation>另存为PDF</translation>
    </message>
    <message>
        <source>-stamped.pdf</source>
        <translation>-盖章.pdf</translation>
    </message>
    <message>
        <source>PDF documents (*.pdf)</source>
        <translation>PDF 文档 (*.pdf)</translation>
    </message>
    <message>
        <source>Choose the PDF to stamp</source>
        <translation>选择要盖章的PDF</translation>
    </message>
    <message>
        <source>Stamp onto a PDF…</source>
        <translation>盖章到PDF…</translation>
    </message>
</context>
</TS>
