-- Wireshark dissector for the UDP protocol between Quenzal and the network
-- audio terminals.
--
--   LAN: port 12682, multicast group 239.0.0.2.  WAN: port 12685, unicast.
--
-- Four kinds of datagram travel on these ports:
--   query           AA 02 F2 ...   32 bytes on the LAN, the first 6 on the WAN
--   status reply    AA FD ...      at least 102 bytes, a terminal reports itself
--   command to one terminal        AA 01 F2, target ID pair, code, parameters;
--                                  32 bytes, 0xDD in bytes 15 and 31
--   command to all terminals       bytes 0-3 the datagram's own length
--                                  (little-endian), byte 4 the code
--
-- Terminal IDs (and several other numbers) travel in commands as an "ID
-- pair": high = v div 256 + 1, low = (v mod 256) + 1, both in 8 bits. Status
-- replies carry the ID as a plain 16-bit big-endian number.
--
-- Status reply fields are shown as texts exactly as the tool's terminal list
-- shows them (zero-padded addresses, "Yes--", "---WAN", ...), so a capture
-- can be read side by side with the window.
--
-- Install: copy into Wireshark's global or personal Lua plugin folder
-- (`tshark -G folders`), or run `tshark -X lua_script:quenzal.lua`.

local quenzal = Proto("quenzal", "Quenzal network audio terminal protocol")

local LAN_PORT = 12682
local WAN_PORT = 12685

-- Texts in commands and replies are in the "local 8-bit encoding" of the
-- machine that runs the tool: UTF-8 on Linux, a Chinese code page (GBK, read
-- here as GB18030) on the Windows PCs of the sites.
quenzal.prefs.gb18030 = Pref.bool("Texts in GBK/GB18030", false,
    "Decode the texts of commands and status replies as GB18030 (a tool running on a Chinese Windows) "
        .. "instead of UTF-8 (a tool running on Linux)")

local function text_encoding()
    if quenzal.prefs.gb18030 then
        return ENC_GB18030
    end
    return ENC_UTF_8
end

-- Names of the single-terminal command codes.
local terminal_commands = {
    [1] = "set ID",
    [2] = "volume",
    [3] = "DHCP",
    [4] = "IP address",
    [5] = "subnet mask",
    [6] = "gateway",
    [7] = "server address",
    [8] = "MAC address",
    [9] = "product type",
    [10] = "reboot",
    [12] = "one-key call hosts",
    [13] = "capture address",
    [15] = "network mode",
    [16] = "product model text",
    [161] = "call one terminal",
    [162] = "call group",
    [163] = "call all",
    [164] = "intercom",
    [165] = "stop call",
    [166] = "microphone gain",
    [170] = "auto answer on",
    [171] = "auto answer off",
    [172] = "amplifier on",
    [173] = "amplifier off",
    [177] = "factory reset",
    [178] = "ID change",
    [180] = "external audio",
    [181] = "microphone mode",
    [182] = "update font library",
    [183] = "standby service text",
    [184] = "offline group",
    [186] = "calibrate display",
    [188] = "ring on",
    [189] = "ring off",
    [190] = "maximum volume",
}

-- Names of the all-terminals command codes (a numbering of their own).
local zone_commands = {
    [0] = "reboot all",
    [2] = "DHCP on for all",
    [3] = "DHCP off for all",
    [4] = "WAN mode for all",
    [5] = "LAN mode for all",
    [6] = "server address for all",
    [167] = "relay delay",
    [168] = "LAN audio rate",
    [169] = "WAN audio rate",
    [180] = "external audio for all",
    [185] = "command text",
    [187] = "command text (UTF-8)",
}

local f = quenzal.fields
-- What the datagram is.
f.kind = ProtoField.string("quenzal.kind", "Packet")
f.lead = ProtoField.uint8("quenzal.lead", "Lead byte", base.HEX)
f.packet_kind = ProtoField.uint8("quenzal.packet_kind", "Packet kind", base.HEX,
    { [1] = "command", [2] = "query", [0xFD] = "status reply" })
f.fixed = ProtoField.uint8("quenzal.fixed", "Fixed byte", base.HEX)
f.marker = ProtoField.uint8("quenzal.marker", "Marker", base.HEX)
f.length = ProtoField.uint32("quenzal.length", "Packet length", base.DEC)
-- Commands.
f.target_id = ProtoField.uint16("quenzal.target_id", "Target ID", base.DEC)
f.target_pair = ProtoField.bytes("quenzal.target_id_pair", "Target ID pair", base.SPACE)
f.code = ProtoField.uint8("quenzal.code", "Command code", base.DEC)
f.command = ProtoField.string("quenzal.command", "Command")
f.new_id = ProtoField.uint16("quenzal.new_id", "New ID", base.DEC)
f.volume = ProtoField.uint8("quenzal.volume", "Volume", base.DEC)
f.switch = ProtoField.uint8("quenzal.switch", "Setting", base.DEC)
f.setting = ProtoField.string("quenzal.setting", "Setting meaning")
f.ip = ProtoField.ipv4("quenzal.ip", "IP address")
f.mask = ProtoField.ipv4("quenzal.mask", "Subnet mask")
f.gateway = ProtoField.ipv4("quenzal.gateway", "Gateway")
f.server = ProtoField.ipv4("quenzal.server", "Server address")
f.mac = ProtoField.ether("quenzal.mac", "MAC address")
f.product_type = ProtoField.uint8("quenzal.product_type", "Product type", base.DEC)
f.host = ProtoField.uint16("quenzal.host", "One-key call host", base.DEC)
f.capture = ProtoField.ipv4("quenzal.capture_wire", "Capture address on the wire (each octet + 1)")
f.capture_typed = ProtoField.string("quenzal.capture", "Capture address as entered")
f.text = ProtoField.string("quenzal.text", "Text")
f.callee = ProtoField.uint16("quenzal.callee", "Callee or group", base.DEC)
f.number = ProtoField.uint16("quenzal.number", "Number", base.DEC)
f.rate = ProtoField.uint16("quenzal.rate", "Rate", base.DEC)
f.relay = ProtoField.uint16("quenzal.relay_delay", "Relay delay", base.DEC)
f.server_text = ProtoField.string("quenzal.server_text", "Server address text")
f.leftover = ProtoField.bytes("quenzal.leftover", "Bytes left from earlier commands", base.SPACE)

-- Status reply: one text field per column of the terminal list, named by
-- the column's header.
local reply_columns = {
    { "id", "ID (编号)" },
    { "ip", "IP address (本地地址)" },
    { "mask", "Subnet mask (子网掩码)" },
    { "gateway", "Gateway (本地网关)" },
    { "mac", "MAC address (MAC地址)" },
    { "server", "Server address (服务器地址)" },
    { "link", "Link (链接)" },
    { "dhcp", "DHCP" },
    { "volume", "Volume (音量)" },
    { "network", "Network (网络)" },
    { "firmware", "Firmware (固件)" },
    { "type", "Type (类型)" },
    { "model", "Model (型号)" },
    { "amplifier", "Amplifier (功放)" },
    { "host1", "Host 1 (主机1)" },
    { "host2", "Host 2 (主机2)" },
    { "host3", "Host 3 (主机3)" },
    { "text", "Mode text (Mode)" },
    { "gain", "Gain (增益)" },
    { "delay", "Delay (延迟)" },
    { "lan_rate", "LAN rate (LAN频率)" },
    { "wan_rate", "WAN rate (WAN频率)" },
    { "auto_answer", "Auto answer (自动接听)" },
    { "capture", "Capture address (采集地址)" },
    { "ext_audio", "External audio (外部音频)" },
    { "mic_mode", "Microphone mode (话筒模式)" },
    { "group", "Group (Group)" },
    { "server2", "Second server (第二服务器)" },
    { "font", "Font library (字库)" },
    { "boot", "Boot (引导)" },
    { "ring", "Ring switch (响铃开关)" },
    { "max_volume", "Maximum volume (最大音量)" },
}
local reply_fields = {}
for i, c in ipairs(reply_columns) do
    local pf = ProtoField.string("quenzal.reply." .. c[1], c[2])
    reply_fields[i - 1] = pf
    f["reply_" .. c[1]] = pf
end
f.reply_short = ProtoField.string("quenzal.reply.short", "Short reply")

local STATUS_REPLY_SIZE = 102

-- ID pair back to the number: (high - 1) * 256 + (low - 1), in 8 bits each.
local function id_from_pair(high, low)
    return ((high - 1) % 256) * 256 + ((low - 1) % 256)
end

local function add_id_pair(tree, field, tvb, offset)
    local r = tvb(offset, 2)
    local v = id_from_pair(r:range(0, 1):uint(), r:range(1, 1):uint())
    tree:add(field, r, v):append_text(string.format(" (ID pair %d, %d)", r:range(0, 1):uint(), r:range(1, 1):uint()))
    return v
end

-- A zero-padded text field: up to the first zero byte.
local function add_text(tree, field, tvb, offset, n, encoding)
    local r = tvb(offset, n)
    local len = 0
    while len < n and r:range(len, 1):uint() ~= 0 do
        len = len + 1
    end
    local value = ""
    if len > 0 then
        value = r:range(0, len):string(encoding)
    end
    tree:add(field, r, value)
    return value
end

-- What the meaning of a switch byte is, per command code.
local switch_meanings = {
    [3] = { [0] = "off", [1] = "on" },
    [10] = { [1] = "restart" },
    [15] = { [0xAA] = "LAN", [0xBB] = "WAN" },
    [170] = { [1] = "automatic" },
    [171] = { [0] = "manual" },
    [172] = { [1] = "always on" },
    [173] = { [0] = "muted" },
    [177] = { [1] = "reset" },
    [180] = { [0] = "off", [1] = "line in", [2] = "microphone" },
    [181] = { [0] = "offline", [1] = "online" },
    [188] = { [1] = "open" },
    [189] = { [0] = "closed" },
}

local function add_switch(tree, tvb, code, offset)
    local r = tvb(offset, 1)
    local item = tree:add(f.switch, r)
    local meaning = switch_meanings[code] and switch_meanings[code][r:uint()]
    if meaning then
        item:append_text(" (" .. meaning .. ")")
        tree:add(f.setting, r, meaning)
    end
    return meaning
end

local function dissect_terminal_command(tvb, pinfo, tree)
    local code = tvb(5, 1):uint()
    local name = terminal_commands[code] or "unknown command"
    local kind = "command to one terminal"
    if code == 178 then
        kind = "ID change"
    elseif code == 177 then
        kind = "factory reset"
    end
    tree:add(f.kind, kind)
    tree:add(f.lead, tvb(0, 1))
    tree:add(f.packet_kind, tvb(1, 1))
    tree:add(f.fixed, tvb(2, 1))
    local target = add_id_pair(tree, f.target_id, tvb, 3)
    tree:add(f.target_pair, tvb(3, 2))
    tree:add(f.code, tvb(5, 1)):append_text(" (" .. name .. ")")
    tree:add(f.command, tvb(5, 1), name)

    local params = tree:add(quenzal, tvb(6, 26), "Parameters")
    local summary = ""
    local text_over_marker = false
    if code == 1 then
        summary = "new ID " .. add_id_pair(params, f.new_id, tvb, 6)
    elseif code == 2 or code == 190 then
        params:add(f.volume, tvb(6, 1))
        summary = tostring(tvb(6, 1):uint())
    elseif code == 4 then
        params:add(f.ip, tvb(6, 4))
        summary = tostring(tvb(6, 4):ipv4())
    elseif code == 5 then
        params:add(f.mask, tvb(6, 4))
        summary = tostring(tvb(6, 4):ipv4())
    elseif code == 6 then
        params:add(f.gateway, tvb(6, 4))
        summary = tostring(tvb(6, 4):ipv4())
    elseif code == 7 then
        params:add(f.server, tvb(6, 4))
        summary = tostring(tvb(6, 4):ipv4())
    elseif code == 8 then
        params:add(f.mac, tvb(6, 6))
        summary = tostring(tvb(6, 6):ether())
    elseif code == 9 then
        params:add(f.product_type, tvb(6, 1))
        summary = tostring(tvb(6, 1):uint())
    elseif code == 12 then
        local hosts = {}
        for i = 0, 2 do
            hosts[#hosts + 1] = add_id_pair(params, f.host, tvb, 6 + 2 * i)
        end
        summary = table.concat(hosts, ", ")
    elseif code == 13 then
        params:add(f.capture, tvb(6, 4))
        local octets = {}
        for i = 0, 3 do
            octets[#octets + 1] = tostring((tvb(6 + i, 1):uint() - 1) % 256)
        end
        summary = table.concat(octets, ".")
        params:add(f.capture_typed, tvb(6, 4), summary)
    elseif code == 16 or code == 183 then
        summary = '"' .. add_text(params, f.text, tvb, 6, 16, text_encoding()) .. '"'
        text_over_marker = true
    elseif code >= 161 and code <= 165 then
        summary = tostring(add_id_pair(params, f.callee, tvb, 6))
    elseif code == 166 or code == 184 then
        summary = tostring(add_id_pair(params, f.number, tvb, 6))
    elseif code == 178 then
        params:add(f.mac, tvb(6, 6))
        local new_id = add_id_pair(params, f.new_id, tvb, 12)
        summary = string.format("ID %d MAC %s to ID %d", target, tostring(tvb(6, 6):ether()), new_id)
    elseif switch_meanings[code] then
        summary = add_switch(params, tvb, code, 6) or tostring(tvb(6, 1):uint())
    end
    if not text_over_marker then
        tree:add(f.marker, tvb(15, 1))
    end
    tree:add(f.marker, tvb(31, 1))

    local info = string.format("Command to ID %d: %s (%d)", target, name, code)
    if code == 178 then
        info = "ID change: " .. summary
    elseif summary ~= "" then
        info = info .. " " .. summary
    end
    pinfo.cols.info = info
    return kind
end

local function dissect_zone_command(tvb, pinfo, tree)
    local length = tvb(0, 4):le_uint()
    local code = tvb(4, 1):uint()
    local name = zone_commands[code] or "unknown command"
    tree:add(f.kind, "command to all terminals")
    tree:add_le(f.length, tvb(0, 4))
    tree:add(f.code, tvb(4, 1)):append_text(" (" .. name .. ")")
    tree:add(f.command, tvb(4, 1), name)
    local summary = ""
    if length > 5 then
        local params = tree:add(quenzal, tvb(5, length - 5), "Parameters")
        -- bytes each command's parameters need (the tool always sends them)
        local needs = { [6] = 32, [167] = 2, [168] = 2, [169] = 2, [180] = 2, [185] = 54, [187] = 54 }
        if needs[code] and length - 5 < needs[code] then
            params:add(f.leftover, tvb(5, length - 5)):append_text(" (too short for this command)")
        elseif code == 6 then
            summary = '"' .. add_text(params, f.server_text, tvb, 5, 32, text_encoding()) .. '"'
        elseif code == 167 then
            summary = tostring(add_id_pair(params, f.relay, tvb, 5))
        elseif code == 168 or code == 169 then
            summary = tostring(add_id_pair(params, f.rate, tvb, 5))
        elseif code == 180 then
            params:add(f.leftover, tvb(5, 1))
            summary = add_switch(params, tvb, 180, 6) or ""
        elseif code == 185 then
            summary = '"' .. add_text(params, f.text, tvb, 5, 54, text_encoding()) .. '"'
        elseif code == 187 then
            summary = '"' .. add_text(params, f.text, tvb, 5, 54, ENC_UTF_8) .. '"'
        else
            params:add(f.leftover, tvb(5, length - 5))
        end
    end
    local info = string.format("Command to all terminals: %s (%d)", name, code)
    if summary ~= "" then
        info = info .. " " .. summary
    end
    pinfo.cols.info = info
end

-- The reply's bytes, missing ones as zero (a short reply is taken as if
-- padded with zeros, as the tool does).
local function reply_bytes(tvb)
    local b = {}
    local n = math.min(tvb:len(), STATUS_REPLY_SIZE)
    for i = 0, STATUS_REPLY_SIZE - 1 do
        if i < n then
            b[i] = tvb(i, 1):uint()
        else
            b[i] = 0
        end
    end
    return b
end

local function dissect_status_reply(tvb, pinfo, tree)
    tree:add(f.kind, "status reply")
    tree:add(f.lead, tvb(0, 1))
    tree:add(f.packet_kind, tvb(1, 1))
    local b = reply_bytes(tvb)
    local len = tvb:len()
    local function be16(o)
        return b[o] * 256 + b[o + 1]
    end
    local function addr(o)
        return string.format("%03d.%03d.%03d.%03d", b[o], b[o + 1], b[o + 2], b[o + 3])
    end
    local function yes_no(v)
        if v == 1 then
            return "Yes--"
        end
        return "---No"
    end
    local text = ""
    do
        local n = 0
        while n < 16 and b[43 + n] ~= 0 do
            n = n + 1
        end
        if n > 0 then
            text = tvb(43, n):string(text_encoding())
        end
    end
    local link
    if b[10] == 2 then
        link = "-Wait-"
    elseif b[10] == 1 then
        link = "Yes--"
    else
        link = "---No"
    end
    local firmware = be16(12)
    local ring = "CLOSE"
    if firmware <= 544 or b[100] == 1 then
        ring = "OPEN"
    end
    -- column = { text, first byte, width } (no bytes: not from the reply)
    local columns = {
        [0] = { string.format("%03d", be16(3)), 3, 2 },
        { addr(14), 14, 4 },
        { addr(22), 22, 4 },
        { addr(18), 18, 4 },
        { string.format("%02X:%02X:%02X:%02X:%02X:%02X", b[30], b[31], b[32], b[33], b[34], b[35]), 30, 6 },
        { addr(26), 26, 4 },
        { link, 10, 1 },
        { yes_no(b[7]), 7, 1 },
        { tostring(b[5]), 5, 1 },
        { b[42] == 0xBB and "---WAN" or "LAN---", 42, 1 },
        { tostring(firmware), 12, 2 },
        { tostring(b[6]), 6, 1 },
        { "unknow", nil, 0 },
        { b[66] == 1 and "ON" or "OFF", 66, 1 },
        { tostring(be16(40)), 40, 2 },
        { tostring(be16(90)), 90, 2 },
        { tostring(be16(92)), 92, 2 },
        { text, 43, 16 },
        { tostring(b[59]), 59, 1 },
        { tostring(b[60]), 60, 1 },
        { tostring(be16(61)), 61, 2 },
        { tostring(be16(63)), 63, 2 },
        { b[65] == 1 and "Automatic" or "Manual", 65, 1 },
        { addr(36), 36, 4 },
        { tostring(b[68]), 68, 1 },
        { tostring(b[69]), 69, 1 },
        { tostring(b[70]), 70, 1 },
        { addr(94), 94, 4 },
        { string.format("%x", b[87]), 87, 1 },
        { tostring(b[88]), 88, 1 },
        { ring, 100, 1 },
        { tostring(math.min(b[101], 15)), 101, 1 },
    }
    if len < STATUS_REPLY_SIZE then
        tree:add(f.reply_short, string.format("%d bytes; the missing ones count as zero", len))
    end
    for c = 0, 31 do
        local col = columns[c]
        local first, width = col[2], col[3]
        if first ~= nil and first + width <= len then
            tree:add(reply_fields[c], tvb(first, width), col[1])
        else
            tree:add(reply_fields[c], col[1]):set_generated()
        end
    end
    pinfo.cols.info = string.format("Status reply: ID %s, IP %s, MAC %s", columns[0][1], columns[1][1], columns[4][1])
end

function quenzal.dissector(tvb, pinfo, tree)
    local len = tvb:len()
    if len < 2 then
        return 0
    end
    pinfo.cols.protocol = "Quenzal"
    local subtree = tree:add(quenzal, tvb(), "Quenzal")
    local b0, b1 = tvb(0, 1):uint(), tvb(1, 1):uint()

    if b0 == 0xAA and b1 == 0xFD then
        dissect_status_reply(tvb, pinfo, subtree)
        return len
    end
    if b0 == 0xAA and len >= 3 and tvb(2, 1):uint() == 0xF2 then
        if b1 == 0x02 then
            local kind = (len >= 32) and "LAN query" or "WAN query"
            subtree:add(f.kind, kind)
            subtree:add(f.lead, tvb(0, 1))
            subtree:add(f.packet_kind, tvb(1, 1))
            subtree:add(f.fixed, tvb(2, 1))
            if len >= 6 then
                subtree:add(f.leftover, tvb(3, 3))
            end
            pinfo.cols.info = kind
            return len
        end
        if b1 == 0x01 and len >= 32 then
            dissect_terminal_command(tvb, pinfo, subtree)
            return len
        end
    end
    if len >= 5 and tvb(0, 4):le_uint() == len then
        dissect_zone_command(tvb, pinfo, subtree)
        return len
    end
    subtree:add(f.kind, "unknown")
    pinfo.cols.info = string.format("Unknown datagram, %d bytes", len)
    return len
end

local udp_port = DissectorTable.get("udp.port")
udp_port:add(LAN_PORT, quenzal)
udp_port:add(WAN_PORT, quenzal)
